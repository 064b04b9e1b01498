#include "app/Settings.h"
#include "model/JobList.h"
#include "tests/support/ModalGuard.h"
#include "tests/support/TempConfigHome.h"
#include "ui/config/FtpFolderChooser.h"
#include "ui/config/JobEditor.h"
#include "ui/config/LocalFolderChooser.h"
#include "ui/config/OptionsDialog.h"
#include "ui/config/RemoteFolderDialog.h"
#include "ui/config/ScheduleDialog.h"
#include "ui/widgets/ImageControl.h"
#include "ui/widgets/SkinnedWindow.h"
#include "ui/workspace/AboutBox.h"

#include <QImage>
#include <QLabel>
#include <QScreen>
#include <QtTest>

#include <cstdlib>
#include <functional>
#include <memory>

namespace {

// What the window system shows of the window: its backing store as painted. A pixel that
// no widget painted stays as the store was made (transparent here); on an X server without
// a compositor it shows whatever lay behind the window.
int UnpaintedPixels(QWidget &window)
{
    window.repaint();
    const QImage image = window.screen()->grabWindow(window.winId()).toImage().convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) < 255)
                ++count;
    return image.isNull() ? -1 : count;
}

}  // namespace

class TestSkinnedPaint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_config = std::make_unique<TempConfigHome>(); }

    // Every skinned window paints its whole area itself, pictures and all.
    void windowsPaintTheirWholeArea_data()
    {
        QTest::addColumn<std::function<QWidget *()>>("make");
        QTest::newRow("job editor") << std::function<QWidget *()>([this] { return new JobEditor(m_jobs); });
        QTest::newRow("local chooser") << std::function<QWidget *()>([] { return new LocalFolderChooser; });
        QTest::newRow("FTP chooser") << std::function<QWidget *()>([] { return new FtpFolderChooser; });
        QTest::newRow("remote folder") << std::function<QWidget *()>([] { return new RemoteFolderDialog; });
        QTest::newRow("schedule") << std::function<QWidget *()>([] { return new ScheduleDialog; });
        QTest::newRow("options") << std::function<QWidget *()>([this] {
            return new OptionsDialog(nullptr, m_settings, {}, QStringLiteral("/bin/false"));
        });
        QTest::newRow("about") << std::function<QWidget *()>([] { return new AboutBox; });
    }

    void windowsPaintTheirWholeArea()
    {
        QFETCH(std::function<QWidget *()>, make);
        std::unique_ptr<QWidget> window(make());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(UnpaintedPixels(*window), 0);
        // Its edge is not the main window's header colour: over that header a dialog must not
        // seem to be a hole showing the window behind it.
        const QImage image = window->grab().toImage();
        const QColor header(0x2b, 0x45, 0x62);
        // (JPEG pictures: near the colour counts as the colour.)
        const auto near = [](const QColor &a, const QColor &b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 40;
        };
        for (const QPoint at : {QPoint(image.width() / 2, 0), QPoint(0, 17), QPoint(image.width() - 1, 17)})
            QVERIFY2(!near(image.pixelColor(at), header), qPrintable(QStringLiteral("%1,%2").arg(at.x()).arg(at.y())));
        // A dialog with a band says in it what it is.
        if (auto *title = window->findChild<QLabel *>(QStringLiteral("BandTitle"))) {
            QVERIFY(!title->text().isEmpty());
            QCOMPARE(title->text(), window->windowTitle());
        }
    }

    // A picture control whose picture is smaller than itself (or missing) shows its parent there.
    void pictureControlShowsItsParentWherePictureEnds()
    {
        SkinnedWindow window;
        window.resize(120, 80);
        auto *control = new ImageControl(&window);
        control->setGeometry(0, 0, 120, 80);
        QPixmap small(40, 20);
        small.fill(Qt::darkBlue);
        control->SetPicture(small);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(UnpaintedPixels(window), 0);
    }

private:
    std::unique_ptr<TempConfigHome> m_config;
    JobList m_jobs;
    Settings m_settings;
};

WIDGET_TEST_MAIN(TestSkinnedPaint)
#include "tst_skinnedpaint.moc"
