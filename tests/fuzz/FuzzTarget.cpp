// The libFuzzer entry of one parser's check; CORVANE_FUZZ_TARGET names the check.
#include "tests/fuzz/ParserChecks.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace {

ParserChecks::Check TheCheck = nullptr;
QTemporaryDir *Folder = nullptr;

}  // namespace

// Qt's libraries keep no frame pointers, so a malloc stack walked past its first frame
// reads whatever lies on the stack: each run then stores new "stacks" and the process
// grows without end. One frame keeps the store fixed; replay a found input with
// ASAN_OPTIONS=malloc_context_size=30:fast_unwind_on_malloc=0 for whole allocation stacks.
extern "C" const char *__asan_default_options()
{
    return "malloc_context_size=1";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    TheCheck = ParserChecks::ForTarget(QStringLiteral(CORVANE_FUZZ_TARGET));
    if (!TheCheck) {
        std::fprintf(stderr, "no check named %s\n", CORVANE_FUZZ_TARGET);
        std::abort();
    }
    // Files written per input stay in memory where the system offers it: a journal is forced
    // to disk when it names a copy set aside.
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    Folder = new QTemporaryDir(base + QStringLiteral("/corvane-fuzz-XXXXXX"));
    std::atexit([] { delete Folder; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString fault = TheCheck(input, Folder->path());
    if (!fault.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", CORVANE_FUZZ_TARGET, qPrintable(fault));
        std::abort();
    }
    return 0;
}
