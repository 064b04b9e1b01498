#pragma once
#include <QString>
#include <QStringList>

// The command line of corvane-cli:
//   [--tasklist FILE] list
//   [--tasklist FILE] analyze JOB [--all] [--rows [--why]]
//   [--tasklist FILE] sync JOB [--all] [--rows [--why]]
struct CliOptions {
    QString TaskList;  // empty: the program folder's task list
    QString Command;   // "list", "analyze" or "sync"
    QString Job;
    bool All = false;
    bool Rows = false;
    bool Why = false;  // a fifth column on the ROW lines: why the row goes where it goes
    bool Help = false;
    QString Error;     // set when the command line is not usable

    static CliOptions Parse(const QStringList &arguments);  // arguments without the program
    static QString Usage();
};
