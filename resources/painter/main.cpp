// Draws the skin pictures from resources/skin/pictures.txt.
//
//   skin_painter SOURCE OUTDIR [--version V] [--gif NAME=FILE]...
//       writes OUTDIR/jpg/<name>.jpg for every picture and OUTDIR/skin.qrc, which lists them
//       under /JPG and the given GIF files under /GIF, each aliased by its bare name;
//   skin_painter --frames SOURCE OUTDIR
//       writes OUTDIR/<animation>-NN.png, the frames from which make-loding-gif.sh builds a GIF.

#include "resources/painter/SkinPainter.h"
#include "resources/painter/SkinSource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>

#include <cstdio>

namespace {

int fail(const QString &message)
{
    std::fprintf(stderr, "skin_painter: %s\n", qPrintable(message));
    return 1;
}

bool save(const QImage &image, const QString &path, const char *format, int quality)
{
    return !image.isNull() && image.save(path, format, quality);
}

QString xmlEscaped(const QString &s)
{
    return s.toHtmlEscaped();
}

}  // namespace

int main(int argc, char **argv)
{
    // Drawing text needs a GUI application, but never a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    QStringList args = app.arguments().mid(1);
    const bool frames = args.removeAll(QStringLiteral("--frames")) > 0;
    QString version;
    QStringList gifs;
    for (qsizetype i = 0; i + 1 < args.size();) {
        if (args[i] == QLatin1String("--version")) {
            version = args[i + 1];
            args.remove(i, 2);
        } else if (args[i] == QLatin1String("--gif")) {
            gifs << args[i + 1];
            args.remove(i, 2);
        } else {
            ++i;
        }
    }
    if (args.size() != 2)
        return fail(QStringLiteral("usage: skin_painter [--frames] SOURCE OUTDIR [--version V] [--gif NAME=FILE]..."));

    // Captions drawn in a fallback font would differ from machine to machine.
    if (!QFontDatabase::families().contains(QStringLiteral("DejaVu Sans")))
        return fail(QStringLiteral("the font \"DejaVu Sans\" is not installed (Debian: fonts-dejavu-core)"));

    SkinSource source;
    QString error;
    if (!source.load(args[0], &error))
        return fail(error);
    source.setVersion(version);
    const SkinPainter painter(source);
    const QDir out(args[1]);

    if (frames) {
        if (!out.mkpath(QStringLiteral(".")))
            return fail(QStringLiteral("cannot create %1").arg(out.path()));
        for (const auto &anim : source.animations()) {
            const int count = anim.option(QStringLiteral("frames"), QStringLiteral("12")).toInt();
            for (int i = 0; i < count; ++i) {
                const QString path = out.filePath(QStringLiteral("%1-%2.png").arg(anim.name).arg(i, 2, 10, QLatin1Char('0')));
                if (!save(painter.frame(anim, i), path, "PNG", -1))
                    return fail(QStringLiteral("cannot draw or write %1 (line %2)").arg(path).arg(anim.line));
            }
        }
        return 0;
    }

    // Start empty, so a renamed picture leaves no stale file behind.
    QDir(out.filePath(QStringLiteral("jpg"))).removeRecursively();
    if (!out.mkpath(QStringLiteral("jpg")))
        return fail(QStringLiteral("cannot create %1").arg(out.filePath(QStringLiteral("jpg"))));
    QString qrc;
    QTextStream qs(&qrc);
    qs << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/JPG\">\n";
    for (const auto &pic : source.pictures()) {
        QList<std::pair<QString, SkinPainter::State>> made;
        if (pic.has(QStringLiteral("pair"))) {
            made << std::pair{pic.name + QLatin1Char('1'), SkinPainter::State::Normal}
                 << std::pair{pic.name + QLatin1Char('2'), SkinPainter::State::Highlighted};
        } else {
            made << std::pair{pic.name, SkinPainter::State::Normal};
        }
        if (pic.has(QStringLiteral("disabled")))
            made << std::pair{pic.name + QStringLiteral("Disabled"), SkinPainter::State::Disabled};
        for (const auto &[name, state] : made) {
            const QString file = QStringLiteral("jpg/%1.jpg").arg(name);
            if (!save(painter.picture(pic, state), out.filePath(file), "JPG", 95))
                return fail(QStringLiteral("cannot draw or write %1 (line %2, style \"%3\")")
                                .arg(out.filePath(file)).arg(pic.line).arg(pic.style));
            qs << "  <file alias=\"" << xmlEscaped(name) << "\">" << xmlEscaped(file) << "</file>\n";
        }
    }
    qs << "</qresource>\n<qresource prefix=\"/GIF\">\n";
    for (const auto &gif : gifs) {
        const QString name = gif.section(QLatin1Char('='), 0, 0);
        const QString file = gif.section(QLatin1Char('='), 1);
        if (!QFile::exists(file))
            return fail(QStringLiteral("no such GIF: %1").arg(file));
        qs << "  <file alias=\"" << xmlEscaped(name) << "\">" << xmlEscaped(QFileInfo(file).absoluteFilePath())
           << "</file>\n";
    }
    qs << "</qresource>\n</RCC>\n";
    qs.flush();

    if (const QStringList unknown = source.unknownColours(); !unknown.isEmpty())
        return fail(QStringLiteral("colours used but not defined: %1").arg(unknown.join(QStringLiteral(", "))));

    QSaveFile qrcFile(out.filePath(QStringLiteral("skin.qrc")));
    if (!qrcFile.open(QIODevice::WriteOnly) || qrcFile.write(qrc.toUtf8()) < 0 || !qrcFile.commit())
        return fail(QStringLiteral("cannot write %1").arg(qrcFile.fileName()));
    return 0;
}
