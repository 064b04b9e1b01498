#pragma once

#include <QColor>
#include <QHash>
#include <QList>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

// One line of the skin source: a picture (or an animation) and how to draw it.
struct SkinPicture {
    QString name;
    QSize size;
    QString style;
    QHash<QString, QString> options;  // key=value words
    QStringList flags;                // bare words
    QString caption;                  // the quoted word, if any
    int line = 0;

    bool has(const QString &flag) const { return flags.contains(flag); }
    QString option(const QString &key, const QString &fallback = {}) const
    {
        return options.value(key, fallback);
    }
};

// The parsed skin source file: named colours, pictures and animations, in file order.
class SkinSource {
public:
    bool load(const QString &path, QString *error);

    QColor colour(const QString &name) const;
    const QList<SkinPicture> &pictures() const { return m_pictures; }
    const QList<SkinPicture> &animations() const { return m_animations; }

    // Replaces @VERSION@ in every caption and option.
    void setVersion(const QString &version);

    // Colour names asked for that the source does not define.
    QStringList unknownColours() const { return m_unknown.values(); }

private:
    bool parseLine(const QString &text, int line, QString *error);

    QHash<QString, QColor> m_colours;
    mutable QSet<QString> m_unknown;
    QList<SkinPicture> m_pictures;
    QList<SkinPicture> m_animations;
};
