#pragma once

class QWidget;
struct ServerTrust;

// Asks the user whether to trust a server's certificate (its SHA256 fingerprint, subject and
// expiry) or host key (its type and SHA256 fingerprint as ssh prints it). Interface thread.
bool AskServerTrust(QWidget *parent, const ServerTrust &trust);
