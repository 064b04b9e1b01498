#include "ui/config/KeyPassphraseQuestion.h"

#include "ui/config/ConfigMessages.h"

#include <QInputDialog>
#include <QLineEdit>

std::optional<QString> AskKeyPassphrase(QWidget *parent, const QString &keyFile)
{
    QInputDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("KeyPassphraseDialog"));
    dialog.setWindowTitle(ConfigMessages::Caption());
    dialog.setLabelText(QStringLiteral("The key file %1 is locked with a passphrase.\n\n"
                                       "Passphrase (used for this connection only, not saved):")
                            .arg(keyFile));
    dialog.setTextEchoMode(QLineEdit::Password);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
