#pragma once
#include "platform/ProgramLauncher.h"
#include "update/HttpDownload.h"

#include <QFile>
#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <optional>

class QProgressBar;
class QPushButton;
class QTreeWidget;
class ImageControl;

// The updater's one window: lists the files that "Update.ini" names, downloads them all
// into temporary files beside their targets, then puts them in place with backups, records
// the new version and starts the main program again. A failure or a cancel leaves every
// program file as it was and says so (a cancel asked for by the user is not reported).
class UpdaterWindow : public QWidget {
    Q_OBJECT
public:
    static inline const QString ApplicationTitle = QStringLiteral("Corvane Update");

    // programFolder: the folder that holds "Update.ini" and the programs (with its "/").
    // launch starts the main program after a successful update.
    explicit UpdaterWindow(const QString &programFolder, ProgramLauncher launch = StartProgram,
                           QWidget *parent = nullptr);
    ~UpdaterWindow() override;

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Row {
        QString line;  // "key=URL" as listed
        QString url;
        QString name;  // relative to the program folder; empty when refused
        QString downloaded;
    };

    void LoadFileList();
    void UpdateAll();
    // Why the listed files cannot be installed, or empty when they can.
    QString CheckRows() const;
    void DownloadNext();
    void DownloadOne(Row &row);
    void InstallAll();
    // Ends a run that did not install: the downloaded files and the folders made for them go.
    void DiscardRun();
    void FailRun(const QString &text);

    void IdHTTP1WorkBegin(qint64 expectedLength);
    void IdHTTP1Work(qint64 received);
    void IdHTTP1WorkEnd(HttpDownload::Result result);
    void AfterDownload(HttpDownload::Result result);
    void SetGauge(qint64 value);

    QString m_folder;
    ProgramLauncher m_launch;
    QString m_folderUrl;
    bool m_iniReadable = false;

    ImageControl *Image1;
    QTreeWidget *FileListView;
    QProgressBar *PB_Whole;
    QPushButton *btn_Update;
    QPushButton *Btn_Cancel;
    HttpDownload *IdHTTP1;

    QList<Row> m_rows;
    QString m_version;
    int m_index = 0;
    char m_cancel = 0;
    QFile m_out;  // the file being downloaded
    QStringList m_madeFolders;
    qint64 m_gaugeScale = 0;  // bytes per gauge step; 0 while the length is unknown
    bool m_shown = false;
    bool m_activatedOnce = false;
    bool m_running = false;
    bool m_done = false;
    bool m_asking = false;  // the close question is open
    std::optional<HttpDownload::Result> m_deferred;
};
