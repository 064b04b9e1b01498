#pragma once
#include "platform/ProgramLauncher.h"
#include "update/HttpDownload.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

class QSaveFile;

// The main program's update check: downloads "Update.ini" from the update folder (the
// setting "UpdateURL") into the program folder, compares its version with the installed
// one and offers to hand over to the updater. Lives on the interface thread; a check never
// blocks it; its message boxes appear when the answer has arrived.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    struct Hooks {
        ProgramLauncher launch = StartProgram;
        // Asks the application to end once the updater runs: the main window then closes
        // normally, which saves the task list.
        std::function<void()> quit;
    };

    // programFolder: where "Update.ini" goes and "Update" is started from (with its "/").
    explicit UpdateCheck(QObject *parent = nullptr);
    UpdateCheck(const QString &programFolder, Hooks hooks, QObject *parent = nullptr);
    ~UpdateCheck() override;

    // Parent of the check's message boxes (the main window); may be null.
    void setDialogParent(QWidget *parent) { m_dialogParent = parent; }
    // Interactive: also says that there is no update and that the download failed. A check
    // asked for while one runs joins it (and makes it interactive if asked so).
    void CheckForUpdate(bool interactive);
    bool IsChecking() const { return m_checking; }

    // The installed version text; an empty or missing "Version" becomes and is stored as
    // this build's version.
    static QString GetInstalledVersion();

    // Read time-out of the download, in ms.
    void setReadTimeout(int ms) { m_readTimeout = ms; }

Q_SIGNALS:
    // A check has ended, after its last message box has closed.
    void checkFinished();

private:
    // Starts the GET of url into localPath, replacing that file only when the whole body
    // has arrived; onDownloadFinished goes on from there.
    void DownloadFile(const QUrl &url, const QString &localPath);
    void onDownloadFinished(HttpDownload::Result result);
    void OfferUpdate(const QString &version);
    void ShowMessage(const QString &text);
    void EndCheck();

    QString m_folder;
    Hooks m_hooks;
    QPointer<QWidget> m_dialogParent;
    HttpDownload *m_http;
    std::unique_ptr<QSaveFile> m_file;  // set while a check downloads
    bool m_checking = false;
    bool m_interactive = false;
    bool m_waitCursor = false;
    int m_readTimeout = 5000;
};
