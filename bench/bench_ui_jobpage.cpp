// Times the job page's Changes view after an analysis that proposes copying every file of
// a large left folder: from the end of the analysis until the filled tree is painted, how
// long the window went without handling events meanwhile, and repaints while scrolling; then
// a Shift-click over every row, a change of direction of every selected row, its undo, the
// totals line and the find box.
// Usage: bench_ui_jobpage WORKDIR [FOLDERS FILES_PER_FOLDER]   (QT_QPA_PLATFORM=offscreen)
#include "engine/ResultEntry.h"
#include "folders/FileEntry.h"
#include "model/JobList.h"
#include "platform/gui/Power.h"
#include "ui/workspace/ItemCommands.h"
#include "ui/workspace/JobPage.h"
#include "ui/workspace/ResultModel.h"
#include "ui/workspace/ResultView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>

#include <cstdio>
#include <functional>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

class NoPower : public Power {
public:
    void shutDown() override {}
};

void Generate(const std::string &root, int folders, int perFolder)
{
    ::mkdir(root.c_str(), 0755);
    for (int d = 0; d < folders; ++d) {
        const std::string folder = root + "/folder" + std::to_string(d);
        ::mkdir(folder.c_str(), 0755);
        for (int f = 0; f < perFolder; ++f) {
            const std::string path = folder + "/file" + std::to_string(f) + ".txt";
            const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) {
                if (::write(fd, "x", 1) != 1)
                    std::perror(path.c_str());
                ::close(fd);
            }
        }
    }
}

}  // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_ui_jobpage WORKDIR [FOLDERS FILES_PER_FOLDER]\n");
        return 64;
    }
    const QString work = QString::fromLocal8Bit(argv[1]);
    const int folders = argc > 2 ? std::atoi(argv[2]) : 1000;
    const int perFolder = argc > 3 ? std::atoi(argv[3]) : 100;

    QElapsedTimer clock;
    clock.start();
    Generate((work + "/left").toStdString(), folders, perFolder);
    QDir().mkpath(work + "/right");
    QDir().mkpath(work + "/program");
    std::printf("made %d files in %d folders in %.1f s\n", folders * perFolder, folders, clock.elapsed() / 1000.0);

    JobList jobs;
    auto job = std::make_unique<Job>();
    job->SyncName = QStringLiteral("Bench");
    job->LFolder.DeviceType = 1;
    job->LFolder.FolerAllName = work + "/left";
    job->RFolder.DeviceType = 1;
    job->RFolder.FolerAllName = work + "/right";
    jobs.AddJob(std::move(job));
    NoPower power;
    JobPage page(jobs, power);
    page.SetProgramFolder(work + "/program");
    page.resize(1100, 760);
    page.show();
    page.SetJob(0);
    page.PageShown();

    auto *status = page.findChild<QLabel *>(QStringLiteral("Label_ActionStatus"));
    auto *tree = page.findChild<QTreeView *>(QStringLiteral("VST1"));
    // A 5 ms timer samples the status and notes the longest pause between its ticks while
    // the view is filled: how long the window went without handling events.
    qint64 analysisEnded = -1, filled = -1, lastTick = -1, longestPause = 0;
    QElapsedTimer run;
    QTimer sampler;
    sampler.setInterval(5);
    QObject::connect(&sampler, &QTimer::timeout, [&] {
        const qint64 now = run.elapsed();
        const QString text = status->text();
        if (analysisEnded < 0 && text == QLatin1String("Loading Files......"))
            analysisEnded = now;
        if (analysisEnded >= 0 && filled < 0 && lastTick >= 0)
            longestPause = std::max(longestPause, now - lastTick);
        if (analysisEnded >= 0 && filled < 0 && text == QLatin1String(" Analyzing Done!"))
            filled = now;
        lastTick = now;
    });
    run.start();
    sampler.start();
    QMetaObject::invokeMethod(&page, "BitBtn_AnalyzeClick");
    while (filled < 0)
        app.processEvents(QEventLoop::WaitForMoreEvents);
    // Shown: the filled tree painted once.
    tree->viewport()->repaint();
    const qint64 shown = run.elapsed();
    sampler.stop();

    const QModelIndex root = tree->model()->index(0, 0);
    int rows = 0;
    for (int i = 0; i < tree->model()->rowCount(root); ++i)
        rows += 1 + tree->model()->rowCount(tree->model()->index(i, 0, root));
    std::printf("analysis ended after %.3f s (first sample of \"Loading Files......\")\n", analysisEnded / 1000.0);
    std::printf("Changes view: %d rows filled in %.3f s, filled and shown in %.3f s\n", rows,
                (filled - analysisEnded) / 1000.0, (shown - analysisEnded) / 1000.0);
    std::printf("longest pause in event handling during the fill: %lld ms (samples every 5 ms, "
                "the first one after the fill started)\n",
                static_cast<long long>(longestPause));

    // Scrolling: page down through the expanded tree, one repaint per step.
    QScrollBar *bar = tree->verticalScrollBar();
    const int steps = 500;
    clock.restart();
    for (int i = 0; i < steps; ++i) {
        bar->setValue(bar->value() + bar->pageStep());
        tree->viewport()->repaint();
    }
    std::printf("scrolling: %d pages repainted in %.3f s (%.2f ms per page)\n", steps, clock.elapsed() / 1000.0,
                double(clock.elapsed()) / steps);

    // Each step ends with the window repainted, as the user would see it. On a machine that
    // others share, the time on the CPU tells more than the time that passed.
    const auto cpuMs = [] {
        timespec now{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1'000'000;
    };
    const auto timed = [&](const char *what, const std::function<void()> &step) {
        const qint64 cpuBefore = cpuMs();
        clock.restart();
        step();
        app.processEvents();
        tree->viewport()->repaint();
        std::printf("%s: %lld ms (%lld ms on the CPU)\n", what, static_cast<long long>(clock.elapsed()),
                    static_cast<long long>(cpuMs() - cpuBefore));
    };
    tree->setFocus();
    // A click on the first file, then Shift and a click on the last: every line between,
    // over every open folder.
    QAbstractItemModel &model = *tree->model();
    const QModelIndex firstFolder = model.index(0, 0, root), lastFolder = model.index(model.rowCount(root) - 1, 0, root);
    const QModelIndex firstFile = model.index(0, 0, firstFolder);
    const QModelIndex lastFile = model.index(model.rowCount(lastFolder) - 1, 0, lastFolder);
    const auto clickRow = [&](const QModelIndex &row, Qt::KeyboardModifiers keys) {
        tree->scrollTo(row);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, keys, tree->visualRect(row).center());
    };
    timed("click on the first file", [&] { clickRow(firstFile, {}); });
    timed("Shift-click on the last file (every row between selected)", [&] { clickRow(lastFile, Qt::ShiftModifier); });
    std::printf("  %lld rows selected\n", static_cast<long long>(page.findChild<ResultView *>()->SelectedRowIndexes().size()));
    timed("select all rows (Ctrl+A)", [&] { QTest::keyClick(tree, Qt::Key_A, Qt::ControlModifier); });
    timed("don't copy, for every selected row (Space)", [&] { QTest::keyClick(tree, Qt::Key_Space); });
    timed("undo of that change (Ctrl+Z)", [&] { QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier); });
    timed("back to the proposal, for every selected row", [&] {
        QTest::keyClick(tree, Qt::Key_Backspace);
    });
    timed("totals of every row, with every folder's counts", [&] {
        page.Model().Recount();
        std::printf("  %s\n", qPrintable(page.Model().Totals().Text()));
    });
    auto *find = page.findChild<QLineEdit *>(QStringLiteral("Edit_Find"));
    timed("find \"file12\" (rows found and their folders shown, expanded)", [&] { find->setText(QStringLiteral("file12")); });
    timed("find \"file123\"", [&] { find->setText(QStringLiteral("file123")); });
    timed("find cleared (every row shown again)", [&] { find->clear(); });
    // The reason: a result record keeps its code and flags (the recorded time and size are
    // the listing entry's, which marking needs anyway); a row record, 16 bytes more.
    std::printf("memory: %zu bytes per entry of a listing or state tree, %zu per result record, "
                "%zu per row record (152 without the reason)\n",
                sizeof(FileEntry), sizeof(ResultEntry), sizeof(RowRecord));
    return 0;
}
