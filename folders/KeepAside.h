#pragma once
#include <QString>

// Keep-aside copies: while a transfer replaces a file, the previous copy waits under its name
// with ".p" added, and is deleted after a good transfer or put back after a failed one.
namespace KeepAside {

// Anything at a local path, a dangling link included.
bool LocalExists(const QString &path);
// path + ".p", or, when something of that name exists already, the first free
// path + ".p" + n (n = 1, 2, ...): a user's own file is never overwritten.
QString FreeLocalName(const QString &path);

// A name beside path for a copy under way: path + ".cvtmp" + eight random hex digits. The
// caller checks that it is free on its side.
QString TemporaryCandidate(const QString &path);

}  // namespace KeepAside
