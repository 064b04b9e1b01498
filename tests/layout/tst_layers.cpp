#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QtTest>

// The folders are layers: a folder includes only folders on a lower floor, and the headless
// floors never include what draws. A newcomer reads the code bottom up; an include that runs
// back up (a side reaching into the engine, the engine into a window) breaks that and usually
// drags Qt Widgets into corvane-cli.
namespace {

struct Floor {
    const char *folder;
    int level;
    bool headless;
};

// Deepest folder first where folders nest (platform/gui inside platform).
const Floor Floors[] = {
    {"platform/gui", 1, false}, {"platform", 0, true},     {"app", 1, true},
    {"model", 2, true},         {"folders", 3, true},      {"engine", 4, true},
    {"cli", 5, true},           {"ui/widgets", 5, false},  {"update", 5, false},
    {"scheduling", 5, false},   {"ui/config", 6, false},   {"updater", 6, false},
    {"ui/workspace", 7, false}, {"startup", 8, false},
};

const Floor *FloorOf(const QString &path)
{
    for (const Floor &f : Floors) {
        const QString folder = QString::fromLatin1(f.folder) + QLatin1Char('/');
        if (path.startsWith(folder) && !path.mid(folder.size()).contains(QLatin1Char('/')))
            return &f;
    }
    return nullptr;
}

}  // namespace

class TestLayers : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void includesRunDownOnly()
    {
        const QDir root(QStringLiteral(CORVANE_SOURCE_DIR));
        const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([^\"]+)\""));
        QStringList wrong;
        int files = 0;
        for (const Floor &floor : Floors) {
            QDirIterator it(root.filePath(QString::fromLatin1(floor.folder)), {"*.h", "*.cpp"}, QDir::Files);
            while (it.hasNext()) {
                const QString path = root.relativeFilePath(it.next());
                if (FloorOf(path) != &floor)
                    continue;
                ++files;
                QFile file(it.filePath());
                QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
                int lineNumber = 0;
                while (!file.atEnd()) {
                    const QString line = QString::fromUtf8(file.readLine());
                    ++lineNumber;
                    const QRegularExpressionMatch m = include.match(line);
                    if (!m.hasMatch())
                        continue;
                    const QString target = m.captured(1);
                    const Floor *to = FloorOf(target);
                    if (!to)
                        continue;  // generated headers and resources
                    const bool down = to == &floor || to->level < floor.level;
                    if (!down || (floor.headless && !to->headless))
                        wrong << QStringLiteral("%1:%2 includes %3").arg(path).arg(lineNumber).arg(target);
                }
            }
        }
        QVERIFY2(files > 100, "the source folders were not found");
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }
};

QTEST_GUILESS_MAIN(TestLayers)
#include "tst_layers.moc"
