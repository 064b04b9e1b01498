#pragma once
#include "model/JobSide.h"

#include "ui/widgets/SkinnedWindow.h"

class QLabel;
class QTreeWidget;
class FtpBackgroundCall;
class RunGate;

// Read-only view of the entries of one remote folder of a job's FTP side. The listing
// is made off the interface thread when the view is first shown.
class RemoteFolderDialog : public SkinnedWindow {
    Q_OBJECT
public:
    explicit RemoteFolderDialog(QWidget *parent = nullptr);
    ~RemoteFolderDialog() override;

    // The remote folder ("/pub/docs") and the side it belongs to; before showing.
    void SetFolder(const QString &folderPath, const JobSide &source);
    bool Busy() const;
    void SetRunGate(RunGate &gate);

    void done(int result) override;

Q_SIGNALS:
    void WorkEnded();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_folderPath;
    JobSide m_source;
    bool m_listed = false;
    FtpBackgroundCall *m_call = nullptr;
    QTreeWidget *tvFtp = nullptr;
    QLabel *Label1 = nullptr;
};
