#pragma once
#include "model/TFolderSource.h"

#include "ui/widgets/TSkinForm.h"

class QLabel;
class QTreeWidget;
class TFtpBackgroundCall;
class TRunGate;

// Read-only view of the entries of one remote folder of a job's FTP side. The listing
// is made off the interface thread when the view is first shown.
class TFTPContentsForm : public TSkinForm {
    Q_OBJECT
public:
    explicit TFTPContentsForm(QWidget *parent = nullptr);
    ~TFTPContentsForm() override;

    // The remote folder ("/pub/docs") and the side it belongs to; before showing.
    void SetFolder(const QString &folderPath, const TFolderSource &source);
    bool Busy() const;
    void SetRunGate(TRunGate &gate);

    void done(int result) override;

Q_SIGNALS:
    void WorkEnded();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_folderPath;
    TFolderSource m_source;
    bool m_listed = false;
    TFtpBackgroundCall *m_call = nullptr;
    QTreeWidget *tvFtp = nullptr;
    QLabel *Label1 = nullptr;
};
