#include "cli/CliOptions.h"

CliOptions CliOptions::Parse(const QStringList &arguments)
{
    CliOptions o;
    QStringList positional;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (a == QLatin1String("--tasklist")) {
            if (i + 1 >= arguments.size()) {
                o.Error = QStringLiteral("--tasklist needs a file");
                return o;
            }
            o.TaskList = arguments.at(++i);
        } else if (a.startsWith(QLatin1String("--tasklist="))) {
            o.TaskList = a.mid(int(qstrlen("--tasklist=")));
            if (o.TaskList.isEmpty()) {
                o.Error = QStringLiteral("--tasklist needs a file");
                return o;
            }
        } else if (a == QLatin1String("--all")) {
            o.All = true;
        } else if (a == QLatin1String("--rows")) {
            o.Rows = true;
        } else if (a == QLatin1String("--why")) {
            o.Why = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.Help = true;
            return o;
        } else if (a == QLatin1String("--")) {
            positional += arguments.mid(i + 1);
            break;
        } else if (a.startsWith(QLatin1Char('-')) && a.size() > 1) {
            o.Error = QStringLiteral("unknown option %1").arg(a);
            return o;
        } else {
            positional << a;
        }
    }
    if (positional.isEmpty())
        o.Error = QStringLiteral("no command given");
    else if (positional.first() == QLatin1String("list")) {
        o.Command = positional.first();
        if (positional.size() > 1 || o.All || o.Rows || o.Why)
            o.Error = QStringLiteral("list takes no job and no options");
    } else if (positional.first() == QLatin1String("analyze") || positional.first() == QLatin1String("sync")) {
        o.Command = positional.first();
        if (positional.size() != 2)
            o.Error = QStringLiteral("%1 needs exactly one job name").arg(o.Command);
        else if (o.Why && !o.Rows)
            o.Error = QStringLiteral("--why goes with --rows");
        else
            o.Job = positional.at(1);
    } else {
        o.Error = QStringLiteral("unknown command %1").arg(positional.first());
    }
    return o;
}

QString CliOptions::Usage()
{
    return QStringLiteral(
        "usage: corvane-cli [--tasklist FILE] list\n"
        "       corvane-cli [--tasklist FILE] analyze JOB [--all] [--rows [--why]]\n"
        "       corvane-cli [--tasklist FILE] sync JOB [--all] [--rows [--why]]\n"
        "\n"
        "  list      the jobs of the task list: name, left folder, right folder\n"
        "  analyze   compare the job's two sides and show what would be copied\n"
        "  sync      analyze, then copy the files as proposed\n"
        "  --tasklist FILE  task list to read (default: tasklist.tkl beside the program)\n"
        "  --all     all files instead of the changed ones\n"
        "  --rows    print one ROW line per file row after the log\n"
        "  --why     add to each ROW line why the file goes where it goes\n"
        "\n"
        "exit status: 0 done, 1 some copies failed, files were left (a lost connection) or a\n"
        "state file was not saved, 2 could not run, reach a side or read a folder (or the job\n"
        "runs in another program), 64 bad usage, 130 interrupted (SIGINT/SIGTERM; the run was\n"
        "cancelled cleanly)\n");
}
