#pragma once
#include "model/JobSide.h"

#include "ui/widgets/SkinnedWindow.h"

class QLabel;
class QLineEdit;
class ImageButton;
class QTreeWidget;
class QTreeWidgetItem;
class FtpBackgroundCall;
class RunGate;

// The remote folder chooser (FTP, FTP over TLS, SFTP by the address's scheme): address,
// user, password and, for SFTP, a key file; a connect that lists the folders
// down the address, and a folder tree to pick from. Talking to the server happens off the
// interface thread. It works on a copy of the side given; the caller takes FolderSource()
// when Result() is true.
class FtpFolderChooser : public SkinnedWindow {
    Q_OBJECT
public:
    explicit FtpFolderChooser(QWidget *parent = nullptr);
    ~FtpFolderChooser() override;

    void SetFolderSource(const JobSide &source);
    const JobSide &FolderSource() const { return m_source; }
    bool Result() const { return m_result; }
    // True while a connect or a listing is in progress or waiting for its turn.
    bool Busy() const;
    // Waits at gate instead of the process-wide run gate (tests).
    void SetRunGate(RunGate &gate);

    void done(int result) override;

Q_SIGNALS:
    // A connect or a listing has ended and the tree shows its result.
    void WorkEnded();

private:
    void fptconnectButtonClick();
    void tvFtpClick();
    void tvFtpDblClick();
    void OkButtonClick();
    void setWorking(bool working);
    // The address typed, stored form, in the scheme of the side when none is typed.
    QString typedAddress() const;
    void showKeyFileRow();
    void browseKeyFile();
    void takeFields();
    QTreeWidgetItem *addNode(QTreeWidgetItem *parent, const QString &name, const QString &url);

    JobSide m_source;
    bool m_result = false;
    FtpBackgroundCall *m_call = nullptr;
    QLineEdit *Edit_ftpip = nullptr;
    QLineEdit *Edit_ftpuser = nullptr;
    QLineEdit *Edit_ftppwd = nullptr;
    QLabel *lb_keyfile = nullptr;
    QLabel *lb_ftpexample = nullptr;  // an address of the scheme typed
    QLineEdit *Edit_keyfile = nullptr;
    ImageButton *bt_keyfile = nullptr;
    ImageButton *fptconnectButton = nullptr;
    QTreeWidget *tvFtp = nullptr;
    QLabel *Label1 = nullptr;
};
