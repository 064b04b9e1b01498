#include "resources/painter/SkinSource.h"

#include <QFile>
#include <QRegularExpression>

namespace {

// Splits a line into words; a word in double quotes may hold blanks.
QStringList splitWords(const QString &text)
{
    static const QRegularExpression word(QStringLiteral(R"re("([^"]*)"|(\S+))re"));
    QStringList words;
    auto it = word.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        words << (m.capturedStart(1) >= 0 ? QLatin1Char('"') + m.captured(1) : m.captured(2));
    }
    return words;
}

}  // namespace

bool SkinSource::load(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    int line = 0;
    while (!file.atEnd()) {
        ++line;
        const QString text = QString::fromUtf8(file.readLine()).trimmed();
        if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
            continue;
        if (!parseLine(text, line, error)) {
            *error = QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(*error);
            return false;
        }
    }
    // Two pictures of one name would silently replace each other in the resources.
    QSet<QString> seen;
    for (const auto &p : m_pictures) {
        const QStringList names = p.has(QStringLiteral("pair"))
            ? QStringList{p.name + QLatin1Char('1'), p.name + QLatin1Char('2')}
            : QStringList{p.name};
        for (const auto &n : names + (p.has(QStringLiteral("disabled"))
                                          ? QStringList{p.name + QStringLiteral("Disabled")}
                                          : QStringList{})) {
            if (seen.contains(n)) {
                *error = QStringLiteral("%1:%2: the picture %3 is made twice").arg(path).arg(p.line).arg(n);
                return false;
            }
            seen.insert(n);
        }
    }
    return true;
}

bool SkinSource::parseLine(const QString &text, int line, QString *error)
{
    const QStringList words = splitWords(text);
    const QString &kind = words.first();
    if (kind == QLatin1String("colour")) {
        if (words.size() != 3 || !QColor::isValidColorName(words[2])) {
            *error = QStringLiteral("expected: colour NAME #rrggbb");
            return false;
        }
        m_colours.insert(words[1], QColor::fromString(words[2]));
        return true;
    }
    if (kind != QLatin1String("picture") && kind != QLatin1String("animation")) {
        *error = QStringLiteral("unknown line kind \"%1\"").arg(kind);
        return false;
    }
    bool okW = false, okH = false;
    if (words.size() < 5) {
        *error = QStringLiteral("expected: %1 NAME WIDTH HEIGHT STYLE ...").arg(kind);
        return false;
    }
    SkinPicture p;
    p.name = words[1];
    p.size = QSize(words[2].toInt(&okW), words[3].toInt(&okH));
    p.style = words[4];
    p.line = line;
    if (!okW || !okH || p.size.isEmpty()) {
        *error = QStringLiteral("bad size %1 x %2").arg(words[2], words[3]);
        return false;
    }
    for (qsizetype i = 5; i < words.size(); ++i) {
        const QString &w = words[i];
        if (w.startsWith(QLatin1Char('"'))) {
            p.caption = w.mid(1);
        } else if (const auto eq = w.indexOf(QLatin1Char('=')); eq > 0) {
            p.options.insert(w.left(eq), w.mid(eq + 1));
        } else {
            p.flags << w;
        }
    }
    (kind == QLatin1String("picture") ? m_pictures : m_animations).append(p);
    return true;
}

QColor SkinSource::colour(const QString &name) const
{
    if (name.startsWith(QLatin1Char('#')))
        return QColor::fromString(name);
    if (!m_colours.contains(name))
        m_unknown.insert(name);
    return m_colours.value(name, QColor(Qt::magenta));
}

void SkinSource::setVersion(const QString &version)
{
    static const QString tag = QStringLiteral("@VERSION@");
    for (auto *list : {&m_pictures, &m_animations}) {
        for (auto &p : *list) {
            p.caption.replace(tag, version);
            for (auto &v : p.options)
                v.replace(tag, version);
        }
    }
}
