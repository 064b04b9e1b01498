#include "app/ExecutableFolder.h"
#include "platform/SingleInstance.h"
#include "startup/CorvaneProgram.h"
#include "startup/TerminationSignals.h"
#include "ui/workspace/MainWindow.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    // No argument is read: a scheduled start passes "-Scan" and is an ordinary start.
    QApplication app(argc, argv);
    // A second start from this folder hands over to the running program and ends, so the
    // same jobs never run twice at once and the task list is written by one program.
    SingleInstance instance(ExecutableFolder());
    if (instance.Start() == SingleInstance::Outcome::HandedOver)
        return 0;
    TerminationSignals signals;
    CorvaneProgram program(ExecutableFolder());
    // Before the window exists this start is itself about to run the jobs' start-up options.
    QObject::connect(&instance, &SingleInstance::HandOverReceived, &app, [&program] {
        if (program.Window())
            program.Window()->StartedAgain();
    });
    QObject::connect(&signals, &TerminationSignals::terminationRequested, &app, [&program] { program.Terminate(); });
    return program.Run();
}
