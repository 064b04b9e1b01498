#include "app/ExecutableFolder.h"
#include "updater/UpdaterWindow.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(UpdaterWindow::ApplicationTitle);
    UpdaterWindow form(ExecutableFolder());
    form.show();
    return app.exec();
}
