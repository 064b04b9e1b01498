#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "cli/ConsoleSink.h"

#include <QCoreApplication>
#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const CliOptions options = CliOptions::Parse(app.arguments().mid(1));
    if (options.Help) {
        std::fputs(CliOptions::Usage().toUtf8().constData(), stdout);
        return CliRun::ExitDone;
    }
    if (!options.Error.isEmpty()) {
        std::fprintf(stderr, "corvane-cli: %s\n%s", options.Error.toUtf8().constData(),
                     CliOptions::Usage().toUtf8().constData());
        return CliRun::ExitUsage;
    }
    ConsoleSink sink(isatty(fileno(stderr)) != 0);
    return CliRun(options, sink).Execute();
}
