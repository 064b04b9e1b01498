#include "app/ExecutableFolder.h"
#include "updater/TMainForm.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(TMainForm::ApplicationTitle);
    TMainForm form(ExecutableFolder());
    form.show();
    return app.exec();
}
