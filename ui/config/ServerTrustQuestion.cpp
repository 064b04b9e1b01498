#include "ui/config/ServerTrustQuestion.h"

#include "platform/ServerTrust.h"
#include "ui/config/ConfigMessages.h"

#include <QMessageBox>

bool AskServerTrust(QWidget *parent, const ServerTrust &trust)
{
    QString text;
    if (trust.kind == ServerTrust::Kind::Certificate)
        text = QStringLiteral("The TLS certificate of %1 is not signed by an authority this computer trusts.\n\n"
                              "SHA256 fingerprint: %2\nSubject: %3\nExpires: %4\n\n"
                              "Trust this certificate for %1 from now on? Compare the fingerprint with the one "
                              "the server's owner gives you; a later, different certificate will be refused.")
                   .arg(trust.server, trust.fingerprint, trust.subject, trust.expiry);
    else
        text = QStringLiteral("The host key of %1 is not known yet.\n\n%2 key fingerprint is %3.\n\n"
                              "Trust this key for %1 from now on? Compare the fingerprint with the one the "
                              "server's owner gives you; it will be added to your known_hosts file.")
                   .arg(trust.server, trust.keyType, trust.fingerprint);
    return QMessageBox::question(parent, ConfigMessages::Caption(), text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
           == QMessageBox::Yes;
}
