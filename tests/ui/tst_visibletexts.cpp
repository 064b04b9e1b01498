#include "app/Settings.h"
#include "engine/RunLog.h"
#include "engine/ResultEntry.h"
#include "model/JobList.h"
#include "tests/ui/RealJobPages.h"
#include "scheduling/ScheduledStarts.h"
#include "tests/support/ModalGuard.h"
#include "tests/support/TempConfigHome.h"
#include "ui/config/FtpFolderChooser.h"
#include "ui/config/JobEditor.h"
#include "ui/config/LocalFolderChooser.h"
#include "ui/config/OptionsDialog.h"
#include "ui/config/RemoteFolderDialog.h"
#include "ui/config/ScheduleDialog.h"
#include "ui/workspace/AboutBox.h"
#include "ui/workspace/JobPage.h"
#include "ui/workspace/MainWindow.h"
#include "ui/workspace/ResultModel.h"
#include "updater/UpdaterWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

// Names the program had in texts it was given, and words a person read misspelled there.
const QStringList Wrong{"Mirelle", "Harlowe", "Pellory", "Cann't", "Szie", "Comtent", "condiction", "Floders",
                        "Schedlueing", "synched", "windows startup", "Propagete", "doesn't exit", "Are your still",
                        "Are you going to delete", "Error Code :", "File not download"};

class Collector : public RunLogSink {
public:
    QStringList texts;
    void Status(const QString &text) override { texts << text; }
    void Log(const QString &line, bool) override { texts << line; }
    void ProgressRange(int32_t) override {}
    void ProgressPosition(int32_t) override {}
};

// Every text a person can read on the window and its children: captions, tips, titles,
// menus, placeholders, list headers and the items of choice lists.
QStringList TextsOf(QWidget &window)
{
    QStringList texts{window.windowTitle(), window.toolTip(), window.accessibleName()};
    for (QWidget *w : window.findChildren<QWidget *>()) {
        texts << w->toolTip() << w->accessibleName() << w->windowTitle();
        if (auto *l = qobject_cast<QLabel *>(w))
            texts << l->text();
        if (auto *b = qobject_cast<QAbstractButton *>(w))
            texts << b->text();
        if (auto *g = qobject_cast<QGroupBox *>(w))
            texts << g->title();
        if (auto *e = qobject_cast<QLineEdit *>(w))
            texts << e->placeholderText();
        if (auto *c = qobject_cast<QComboBox *>(w))
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i);
        if (auto *t = qobject_cast<QTreeWidget *>(w))
            for (int i = 0; i < t->columnCount(); ++i)
                texts << t->headerItem()->text(i);
        for (QAction *a : w->actions())
            texts << a->text() << a->toolTip();
    }
    for (QAction *a : window.findChildren<QAction *>())
        texts << a->text();
    return texts;
}

}  // namespace

// One check over the texts the other tests drive one by one: nothing a person reads names
// the product otherwise than Corvane, or carries the misspellings it once had.
class TestVisibleTexts : public QObject {
    Q_OBJECT

    QStringList m_texts;

    void Collect(QWidget &window) { m_texts << TextsOf(window); }

private Q_SLOTS:
    void collectWindows()
    {
        TempConfigHome config;
        QTemporaryDir dir;
        JobList jobs;
        auto job = std::make_unique<Job>();
        job->SyncName = QStringLiteral("Job");
        job->LFolder.DeviceType = 1;
        job->RFolder.DeviceType = 3;
        jobs.AddJob(std::move(job));
        Settings settings;
        NoPower power;
        {
            MainWindow window(jobs, settings, dir.path() + "/", [&](QWidget *parent) -> AbstractJobPage * {
                return new JobPage(jobs, power, parent);
            });
            window.show();
            Collect(window);
            QVERIFY(m_texts.contains("Results Filter"));
        }
        ResultModel model(IconCache{});
        for (int c = 0; c < ResultModel::ColumnCount; ++c)
            m_texts << model.headerData(c, Qt::Horizontal).toString()
                    << model.headerData(c, Qt::Horizontal, Qt::ToolTipRole).toString();
        JobEditor editor(jobs);
        editor.SetJobIndex(0);
        Collect(editor);
        LocalFolderChooser local;
        Collect(local);
        FtpFolderChooser ftp;
        Collect(ftp);
        RemoteFolderDialog remote;
        Collect(remote);
        ScheduleDialog schedule;
        Collect(schedule);
        OptionsDialog options(nullptr, settings, {}, QStringLiteral("/bin/false"));
        options.show();
        Collect(options);
        AboutBox about;
        Collect(about);
        UpdaterWindow updater(dir.path() + "/", [](const QString &) { return true; });
        Collect(updater);
        QVERIFY(m_texts.contains("Start Corvane when I log in"));
    }

    void collectLogLines()
    {
        Collector sink;
        RunLog log(sink);
        for (int code = 0; code <= 3; ++code)
            log.PreCheckResult(code);
        log.SyncConnectFailed(1);
        log.SyncConnectFailed(2);
        log.SyncProgress(5, 0);
        EngineTexts texts;
        texts.CurrentItem = QStringLiteral("a.txt");
        texts.CurrentLeftPath = QStringLiteral("/l/a.txt");
        texts.CurrentRightPath = QStringLiteral("/r/a.txt");
        for (int kind = EngineListener::ItemReadFailed; kind <= EngineListener::ItemSucceeded; ++kind)
            log.SyncItem(kind, 1, texts);
        ResultEntry root;
        log.AnalysisEnded(root, QStringLiteral("00:00:01"));
        log.AnalysisConnectFailedEnded();
        log.RunningElsewhere(QStringLiteral("Job"));
        log.SyncEnded(1, 2, QStringLiteral("00:00:02"));
        m_texts << sink.texts;
        QProcess cli;
        cli.start(QStringLiteral(CORVANE_CLI_PATH), {});
        QVERIFY(cli.waitForFinished(20000));
        const QString usage = QString::fromUtf8(cli.readAllStandardError() + cli.readAllStandardOutput());
        QVERIFY2(usage.contains("usage: corvane-cli"), qPrintable(usage));
        m_texts << usage;
        for (const char *operation : {"NewWorkItem", "Delete", "Activate"})
            m_texts << ScheduledStarts::ErrorText(QLatin1String(operation), QStringLiteral("Access denied"));
        QVERIFY(sink.texts.contains("Can't connect the left folder!"));
    }

    void collectHelpAndPictures()
    {
        for (const char *file : {"help/index.html", "resources/skin/pictures.txt"}) {
            QFile f(QStringLiteral(CORVANE_SOURCE_DIR "/") + QLatin1String(file));
            QVERIFY2(f.open(QIODevice::ReadOnly), file);
            m_texts << QString::fromUtf8(f.readAll());
        }
    }

    void noOldNamesNorMisspellings()
    {
        QVERIFY(m_texts.size() > 200);
        QStringList found;
        for (const QString &text : std::as_const(m_texts))
            for (const QString &wrong : Wrong)
                if (text.contains(wrong, Qt::CaseInsensitive))
                    found << QStringLiteral("\"%1\" in \"%2\"").arg(wrong, text.left(120));
        QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
    }
};

WIDGET_TEST_MAIN(TestVisibleTexts)
#include "tst_visibletexts.moc"
