// Writes the state files a synchronisation of a job would have left when both sides held
// what they list now, so that bench/analysis_scale.py times analyses that read real state
// files. Usage: bench_analysis TASKLIST JOB LEFT_STATE_FILE RIGHT_STATE_FILE
#include "engine/Analysis.h"
#include "engine/AnalysisResult.h"
#include "engine/EngineListener.h"
#include "folders/FileEntry.h"
#include "folders/StateFile.h"
#include "model/JobList.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

class QuietListener : public EngineListener {
public:
    void SyncProgress(int32_t, int32_t) override {}
    void SyncConnectFailed(int32_t) override {}
    void SyncItem(int32_t, int32_t, const EngineTexts &) override {}
};

void RecordState(const FileEntry &listing, FileEntry &state, const QString &relativeFolder)
{
    for (int i = 0; i < listing.ChildCount(); ++i) {
        const FileEntry &e = *listing.Child(i);
        const QString relative = relativeFolder + e.Name();
        if (e.IsFolder) {
            RecordState(e, state, relative + QLatin1Char('/'));
            continue;
        }
        FileEntry *entry = StateFile::FindEntry(relative, state);
        entry->SetFilePath(relative);
        entry->FileTime = e.FileTime;
        entry->FileSize = e.FileSize;
        entry->FileAttr = e.FileAttr;
    }
}

bool WriteState(const FileEntry &listing, const QString &title, const QString &path)
{
    FileEntry state;
    state.SetTitle(title);
    RecordState(listing, state, QStringLiteral("/"));
    QString why;
    if (!StateFile::WriteFile(path, state, &why)) {
        std::fprintf(stderr, "%s\n", qPrintable(why));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: bench_analysis TASKLIST JOB LEFT_STATE_FILE RIGHT_STATE_FILE\n");
        return 64;
    }
    JobList jobs;
    jobs.LoadTaskList(QString::fromLocal8Bit(argv[1]));
    Job *job = nullptr;
    for (int i = 0; i < jobs.Count(); ++i)
        if (jobs.JobAt(i)->SyncName == QString::fromLocal8Bit(argv[2]))
            job = jobs.JobAt(i);
    if (!job) {
        std::fprintf(stderr, "no job %s in %s\n", argv[2], argv[1]);
        return 2;
    }
    QuietListener listener;
    AnalysisResult result;
    Analysis(*job, listener, result).Execute();
    if (!result.Completed) {
        std::fprintf(stderr, "the analysis of %s did not complete\n", argv[2]);
        return 2;
    }
    const bool written = WriteState(*result.LeftList, job->LFolder.FolerAllName, QString::fromLocal8Bit(argv[3]))
                      && WriteState(*result.RightList, job->RFolder.FolerAllName, QString::fromLocal8Bit(argv[4]));
    return written ? 0 : 2;
}
