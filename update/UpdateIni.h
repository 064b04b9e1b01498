#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// The update description "Update.ini" that the main program downloads and the updater reads:
// section [Version] with key Ver, and section [HTTP] with one "key=URL" line per file.
// Read line by line because the updater needs the [HTTP] lines in file order, which a
// settings reader sorts away. Section and key names compare without case, as in Windows
// INI files; Windows line ends and a UTF-8 byte order mark are accepted.
struct UpdateIni {
    QString Ver;            // empty when missing
    QStringList HttpLines;  // "key=value" lines of [HTTP], in file order

    // nullopt when the file cannot be read.
    static std::optional<UpdateIni> Load(const QString &path);
    static UpdateIni Parse(const QByteArray &text);
};

// The URL an [HTTP] line names: the text after its first "=".
QString UrlOfHttpLine(const QString &line);
