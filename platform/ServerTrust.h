#pragma once
#include <QString>

// What a server showed to prove who it is when nothing the user trusts vouches for it yet:
// the question put to the user, and what is kept when the user accepts.
struct ServerTrust {
    enum class Kind { Certificate, HostKey };
    Kind kind = Kind::Certificate;
    QString server;       // "host:port"
    // A certificate's SHA256 fingerprint as openssl prints it ("AB:CD:..."), or a host key's
    // as ssh prints it ("SHA256:base64").
    QString fingerprint;
    QString keyType;  // a host key's type ("ssh-ed25519")
    QString subject;  // a certificate's subject and the date it expires
    QString expiry;
    // Kept on acceptance: the certificate's public-key pin, or the known_hosts line.
    QString record;
};
