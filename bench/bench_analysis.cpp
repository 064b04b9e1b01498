// Times a full local-to-local analysis against a bare walk of the same two trees.
// Usage: bench_analysis WORKDIR [FOLDERS FILES_PER_FOLDER FLAT_FILES]
#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/EngineListener.h"
#include "folders/FileEntry.h"
#include "folders/StateFile.h"
#include "model/Job.h"

#include <QCoreApplication>
#include <QDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class QuietListener : public EngineListener {
public:
    void SyncProgress(int32_t, int32_t) override {}
    void SyncConnectFailed(int32_t) override {}
    void SyncItem(int32_t, int32_t, const EngineTexts &) override {}
};

void WriteFile(const std::string &path, const std::string &content, time_t mtime)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
    if (::write(fd, content.data(), content.size()) != ssize_t(content.size()))
        std::perror(path.c_str());
    const struct timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ::futimens(fd, times);
    ::close(fd);
}

// Ten top folders holding the leaf folders, each leaf holding its files, and one flat
// folder. The right side differs from the left in about one file in fifty.
int Generate(const std::string &root, bool right, int folders, int perFolder, int flat)
{
    const time_t base = 1700000000;
    int files = 0;
    ::mkdir(root.c_str(), 0755);
    for (int d = 0; d < folders; ++d) {
        const std::string top = root + "/group" + std::to_string(d % 10);
        ::mkdir(top.c_str(), 0755);
        const std::string leaf = top + "/folder" + std::to_string(d);
        ::mkdir(leaf.c_str(), 0755);
        for (int f = 0; f < perFolder; ++f) {
            const int n = d * perFolder + f;
            if (right && n % 97 == 5)
                continue;  // missing on the right
            const time_t t = (right && n % 89 == 3) ? base + 3600 : base;
            WriteFile(leaf + "/file" + std::to_string(f) + ".txt", "content " + std::to_string(n) + "\n", t);
            ++files;
        }
    }
    const std::string flatFolder = root + "/flat";
    ::mkdir(flatFolder.c_str(), 0755);
    for (int f = 0; f < flat; ++f) {
        if (right && f % 101 == 7)
            continue;
        WriteFile(flatFolder + "/item" + std::to_string(f) + ".dat", std::to_string(f), base);
        ++files;
    }
    if (right) {
        for (int f = 0; f < flat / 100; ++f)
            WriteFile(flatFolder + "/extra" + std::to_string(f) + ".dat", "x", base);
        files += flat / 100;
    }
    return files;
}

// The state a synchronisation would have left: every left file with its current time.
void RecordState(const FileEntry &listing, FileEntry &state, const QString &relativeFolder)
{
    for (int i = 0; i < listing.ChildCount; ++i) {
        const FileEntry &e = *listing.Child(i);
        const QString relative = relativeFolder + e.FileName;
        if (e.IsFolder) {
            RecordState(e, state, relative + QLatin1Char('/'));
            continue;
        }
        FileEntry *entry = StateFile::FindEntry(relative, state);
        entry->FilePath = relative;
        entry->FileTime = e.FileTime;
        entry->FileSize = e.FileSize;
        entry->FileAttr = e.FileAttr;
    }
}

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

double TimeWalk(const std::string &left, const std::string &right)
{
    const std::string command = "find '" + left + "' '" + right + "' -printf '%p %s %T@\\n' > /dev/null";
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "find failed\n");
    return Seconds(start);
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2 && argc != 5) {
        std::fprintf(stderr, "usage: bench_analysis WORKDIR [FOLDERS FILES_PER_FOLDER FLAT_FILES]\n");
        return 64;
    }
    const std::string work = argv[1];
    const int folders = argc == 5 ? std::atoi(argv[2]) : 1000;
    const int perFolder = argc == 5 ? std::atoi(argv[3]) : 100;
    const int flat = argc == 5 ? std::atoi(argv[4]) : 20000;
    const std::string left = work + "/left";
    const std::string right = work + "/right";

    auto start = std::chrono::steady_clock::now();
    const int leftFiles = Generate(left, false, folders, perFolder, flat);
    const int rightFiles = Generate(right, true, folders, perFolder, flat);
    std::printf("tree: left %d files, right %d files (%d folders of %d files and one folder of %d files per side), "
                "made in %.1f s\n",
                leftFiles, rightFiles, folders, perFolder, flat, Seconds(start));

    Job job;
    job.SyncName = QStringLiteral("Bench");
    job.LFolder.DeviceType = 1;
    job.LFolder.FolerAllName = QString::fromStdString(left);
    job.RFolder.DeviceType = 1;
    job.RFolder.FolerAllName = QString::fromStdString(right);
    QuietListener listener;

    // A first analysis warms the page cache and gives the listing the state file is made from.
    {
        AnalysisResult result;
        Analysis(job, listener, result).Execute();
        FileEntry state;
        state.Title = job.LFolder.FolerAllName;
        RecordState(*result.LeftList, state, QStringLiteral("/"));
        QDir().mkpath(job.LFolder.FolerAllName + QStringLiteral("/__FileSync__"));
        StateFile::WriteFile(job.LFolder.FolerAllName + QStringLiteral("/__FileSync__/Bench"), state);
    }
    TimeWalk(left, right);

    constexpr int Rounds = 3;
    double walk = 1e9, analysis = 1e9;
    int32_t toLeft = 0, toRight = 0, compared = 0;
    for (int round = 0; round < Rounds; ++round) {
        walk = std::min(walk, TimeWalk(left, right));
        AnalysisResult result;
        start = std::chrono::steady_clock::now();
        Analysis(job, listener, result).Execute();
        analysis = std::min(analysis, Seconds(start));
        toLeft = result.ResultRoot->ToLeftCount;
        toRight = result.ResultRoot->ToRightCount;
        compared = result.ResultRoot->FileCount;
    }

    // Peak of this process: the generation before it needs far less than an analysis.
    // find's own peak is not shown: a forked child inherits its parent's peak figure.
    struct rusage self {};
    getrusage(RUSAGE_SELF, &self);
    std::printf("result: %d files compared, %d to copy to the left, %d to the right\n", compared, toLeft, toRight);
    std::printf("bare walk (find -printf, both sides): %.3f s (best of %d)\n", walk, Rounds);
    std::printf("analysis (local to local, with state file): %.3f s (best of %d)\n", analysis, Rounds);
    std::printf("ratio analysis / walk: %.2f (target: at most 2)\n", analysis / walk);
    std::printf("peak memory of the analysis process: %.1f MiB\n", self.ru_maxrss / 1024.0);
    return 0;
}
