#include "app/ExecutableFolder.h"
#include "app/startup/TCorvaneProgram.h"
#include "app/startup/TTerminationSignals.h"
#include "ui/workspace/UMirelleFom.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // No argument is read: a scheduled start passes "-Scan" and is an ordinary start.
    QApplication app(argc, argv);
    TTerminationSignals signals;
    TCorvaneProgram program(ExecutableFolder());
    QObject::connect(&signals, &TTerminationSignals::terminationRequested, &app, [&program] {
        if (program.Window())
            program.Window()->close();
        else
            QCoreApplication::quit();
    });
    return program.Run();
}
