#include "ui/config/ConfigMessages.h"

#include "app/ProductInfo.h"

#include <QMessageBox>

namespace ConfigMessages {

QString Caption()
{
    return QString::fromLatin1(ProductInfo::Name);
}

void Inform(QWidget *parent, const QString &text)
{
    QMessageBox::information(parent, Caption(), text, QMessageBox::Ok);
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
