#pragma once
#include <QString>
#include <optional>

class QWidget;

// Asks for the passphrase of a locked private key file, typed hidden; nullopt when the user
// cancels. Interface thread. The answer is the caller's to forget: it is never stored.
std::optional<QString> AskKeyPassphrase(QWidget *parent, const QString &keyFile);
