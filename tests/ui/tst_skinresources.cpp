// The skin pictures every window loads by name. A picture that is renamed, missing or drawn at
// another size shows as an empty or misplaced button, which no other test would notice.

#include <QImage>
#include <QImageReader>
#include <QMovie>
#include <QTest>

class TestSkinResources : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void jpegLoadsAtItsSize_data();
    void jpegLoadsAtItsSize();
    void highlightedPictureDiffersFromNormal_data();
    void highlightedPictureDiffersFromNormal();
    void busyAnimationIsAnimatedGif();
};

namespace {

void row(const char *name, int width, int height)
{
    QTest::newRow(name) << QString::fromLatin1(name) << QSize(width, height);
}

QImage jpeg(const QString &name)
{
    // The windows ask for JPEG explicitly; a PNG under a JPG name would not load there.
    QImageReader reader(QStringLiteral(":/JPG/") + name, "JPG");
    return reader.read();
}

}  // namespace

void TestSkinResources::jpegLoadsAtItsSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    row("HeaderLeft", 480, 111);
    row("HeaderFill", 8, 111);
    row("HeaderRight", 40, 111);
    row("jobbutton1", 72, 35);
    row("jobbutton2", 72, 35);
    row("actionbutton1", 72, 35);
    row("actionbutton2", 72, 35);
    row("viewbutton1", 72, 35);
    row("viewbutton2", 72, 35);
    row("toolsbutton1", 72, 35);
    row("toolsbutton2", 72, 35);
    row("HelpButton1", 72, 35);
    row("HelpButton2", 72, 35);
    row("MinBtn1", 22, 17);
    row("MinBtn2", 22, 17);
    row("BigBtn1", 22, 17);
    row("BigBtn2", 22, 17);
    row("CloseBtn1", 22, 17);
    row("CloseBtn2", 22, 17);
    row("bt_addtask1", 40, 28);
    row("bt_addtask2", 40, 28);
    row("bt_addtaskDisabled", 40, 28);
    row("moveLeftButton1", 20, 28);
    row("moveLeftButton2", 20, 28);
    row("moveLeftButtonDisabled", 20, 28);
    row("MoveRightButton1", 20, 28);
    row("MoveRightButton2", 20, 28);
    row("MoveRightButtonDisabled", 20, 28);
    row("ieb1", 125, 28);
    row("ieb2", 125, 28);
    row("TabStripFill", 8, 28);
    row("TabStripEnd", 24, 28);
    row("BorderTop", 8, 6);
    row("BorderLeft", 23, 8);
    row("BorderRight", 23, 8);
    row("BorderBottom", 8, 27);
    row("AboutBox", 400, 260);
    row("FolderEditBack", 279, 30);
    row("Browse1", 84, 28);
    row("Browse2", 84, 28);
    row("BrowseDisabled", 84, 28);
    row("DirectionBlank", 55, 16);
    row("DirectionBoth", 55, 16);
    row("DirectionToRight", 55, 16);
    row("DirectionToLeft", 55, 16);
    row("BitBtn_Analyze1", 110, 34);
    row("BitBtn_Analyze2", 110, 34);
    row("BitBtn_AnalyzeDisabled", 110, 34);
    row("BitBtn_Sync1", 110, 34);
    row("BitBtn_Sync2", 110, 34);
    row("BitBtn_SyncDisabled", 110, 34);
    row("BitBtn_cancel1", 110, 34);
    row("BitBtn_cancel2", 110, 34);
    row("BitBtn_cancelDisabled", 110, 34);
    row("ResultImages", 400, 16);
    row("CreatTaskBack", 570, 550);
    row("ChooseRoBack", 640, 440);
    row("FTPChooseRoBack", 619, 400);
    row("FTPContentsBack", 450, 350);
    row("ScheduleBack", 488, 333);
    row("OptionBack", 500, 385);
    row("ScheduleTab", 125, 28);
    row("select1Button1", 125, 28);
    row("select1Button2", 125, 28);
    row("Ok1", 80, 28);
    row("Ok2", 80, 28);
    row("OkDisabled", 80, 28);
    row("Cancel1", 80, 28);
    row("Cancel2", 80, 28);
    row("CancelDisabled", 80, 28);
    row("apply1", 80, 28);
    row("apply2", 80, 28);
    row("applyDisabled", 80, 28);
    row("SMCLoseBtn1", 22, 17);
    row("SMCLoseBtn2", 22, 17);
    row("OSMCLoseBtn1", 22, 17);
    row("OSMCLoseBtn2", 22, 17);
    row("MakeFolderButton1", 116, 28);
    row("MakeFolderButton2", 116, 28);
    row("MakeFolderButtonDisabled", 116, 28);
    row("fptconnectButton1", 96, 28);
    row("fptconnectButton2", 96, 28);
    row("fptconnectButtonDisabled", 96, 28);
    row("ListAdd1", 22, 22);
    row("ListAdd2", 22, 22);
    row("ListAddDisabled", 22, 22);
    row("ListDelete1", 22, 22);
    row("ListDelete2", 22, 22);
    row("ListDeleteDisabled", 22, 22);
    row("CheckUpdateBtn1", 116, 28);
    row("CheckUpdateBtn2", 116, 28);
    row("CheckUpdateBtnDisabled", 116, 28);
    row("AddScheduleBtn1", 80, 28);
    row("AddScheduleBtn2", 80, 28);
    row("AddScheduleBtnDisabled", 80, 28);
    row("RemoveScheduleBtn1", 92, 28);
    row("RemoveScheduleBtn2", 92, 28);
    row("RemoveScheduleBtnDisabled", 92, 28);
    row("ClearAllBtn1", 92, 28);
    row("ClearAllBtn2", 92, 28);
    row("ClearAllBtnDisabled", 92, 28);
    row("UpdateSide", 128, 246);
}

void TestSkinResources::jpegLoadsAtItsSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);
    const QImage image = jpeg(name);
    QVERIFY2(!image.isNull(), qPrintable(QStringLiteral(":/JPG/%1 does not load as a JPEG").arg(name)));
    QCOMPARE(image.size(), size);
}

void TestSkinResources::highlightedPictureDiffersFromNormal_data()
{
    QTest::addColumn<QString>("base");
    QTest::newRow("jobbutton") << QStringLiteral("jobbutton");
    QTest::newRow("actionbutton") << QStringLiteral("actionbutton");
    QTest::newRow("viewbutton") << QStringLiteral("viewbutton");
    QTest::newRow("toolsbutton") << QStringLiteral("toolsbutton");
    QTest::newRow("HelpButton") << QStringLiteral("HelpButton");
    QTest::newRow("MinBtn") << QStringLiteral("MinBtn");
    QTest::newRow("BigBtn") << QStringLiteral("BigBtn");
    QTest::newRow("CloseBtn") << QStringLiteral("CloseBtn");
    QTest::newRow("bt_addtask") << QStringLiteral("bt_addtask");
    QTest::newRow("moveLeftButton") << QStringLiteral("moveLeftButton");
    QTest::newRow("MoveRightButton") << QStringLiteral("MoveRightButton");
    QTest::newRow("ieb") << QStringLiteral("ieb");
    QTest::newRow("Browse") << QStringLiteral("Browse");
    QTest::newRow("BitBtn_Analyze") << QStringLiteral("BitBtn_Analyze");
    QTest::newRow("BitBtn_Sync") << QStringLiteral("BitBtn_Sync");
    QTest::newRow("BitBtn_cancel") << QStringLiteral("BitBtn_cancel");
    QTest::newRow("select1Button") << QStringLiteral("select1Button");
    QTest::newRow("Ok") << QStringLiteral("Ok");
    QTest::newRow("Cancel") << QStringLiteral("Cancel");
    QTest::newRow("apply") << QStringLiteral("apply");
    QTest::newRow("SMCLoseBtn") << QStringLiteral("SMCLoseBtn");
    QTest::newRow("OSMCLoseBtn") << QStringLiteral("OSMCLoseBtn");
    QTest::newRow("MakeFolderButton") << QStringLiteral("MakeFolderButton");
    QTest::newRow("fptconnectButton") << QStringLiteral("fptconnectButton");
    QTest::newRow("ListAdd") << QStringLiteral("ListAdd");
    QTest::newRow("ListDelete") << QStringLiteral("ListDelete");
    QTest::newRow("CheckUpdateBtn") << QStringLiteral("CheckUpdateBtn");
    QTest::newRow("AddScheduleBtn") << QStringLiteral("AddScheduleBtn");
    QTest::newRow("RemoveScheduleBtn") << QStringLiteral("RemoveScheduleBtn");
    QTest::newRow("ClearAllBtn") << QStringLiteral("ClearAllBtn");
}

// A hover picture equal to the normal one would make the button look dead under the mouse.
void TestSkinResources::highlightedPictureDiffersFromNormal()
{
    QFETCH(QString, base);
    const QImage normal = jpeg(base + QLatin1Char('1'));
    const QImage highlighted = jpeg(base + QLatin1Char('2'));
    QVERIFY(!normal.isNull() && !highlighted.isNull());
    QVERIFY(normal != highlighted);
}

void TestSkinResources::busyAnimationIsAnimatedGif()
{
    QMovie movie(QStringLiteral(":/GIF/Loding"), "gif");
    QVERIFY(movie.isValid());
    QVERIFY2(movie.frameCount() > 1, "the busy picture would stand still");
    QImageReader frames(QStringLiteral(":/GIF/Loding"), "gif");
    QCOMPARE(frames.read().size(), QSize(32, 32));
    QVERIFY(frames.nextImageDelay() > 0);
}

QTEST_GUILESS_MAIN(TestSkinResources)
#include "tst_skinresources.moc"
