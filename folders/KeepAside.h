#pragma once
#include <QString>
#include <functional>

// Keep-aside copies: while a transfer replaces a file, the previous copy waits under its name
// with ".p" added, and is deleted after a good transfer or put back after a failed one.
namespace KeepAside {

// Anything at a local path, a dangling link included.
bool LocalExists(const QString &path);
// path + ".p", or, when something of that name exists already, the first free
// path + ".p" + n (n = 1, 2, ...): a user's own file is never overwritten.
QString FreeLocalName(const QString &path);
// path + ".p", or the first path + ".p" + n (n = 1 ... last; no end when last is 0) that
// taken says is free; empty when every one is taken.
QString FirstFreeName(const QString &path, const std::function<bool(const QString &)> &taken, int last);
// Enough numbered keep-aside names on a server for any folder a person keeps by hand.
constexpr int LastRemoteNumber = 99;

// A name beside path for a copy under way: path + ".cvtmp" + eight random hex digits. The
// caller checks that it is free on its side.
QString TemporaryCandidate(const QString &path);

}  // namespace KeepAside
