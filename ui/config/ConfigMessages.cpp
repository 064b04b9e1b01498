#include "ui/config/ConfigMessages.h"

#include "app/ProductInfo.h"

#include <QMessageBox>

namespace ConfigMessages {

void Inform(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, QString::fromLatin1(ProductInfo::Name), text, QMessageBox::Ok);
}

QString PleaseWait()
{
    return QStringLiteral("Please Wait.............");
}

QString JobRunning()
{
    return QStringLiteral("This job is being analyzed or synchronized. Wait until it has finished, "
                          "then change the job.");
}

}  // namespace ConfigMessages
