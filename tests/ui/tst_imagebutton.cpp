#include "tests/support/ModalAnswer.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ResourcePictures.h"
#include "ui/widgets/SkinnedWindow.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QPixmap Filled(QColor c)
{
    QPixmap p(20, 10);
    p.fill(c);
    return p;
}

// The colour the user sees in the middle of the control.
QColor Seen(QWidget *w)
{
    return w->grab().toImage().pixelColor(w->width() / 2, w->height() / 2);
}

const QColor Normal(10, 200, 10), Hover(200, 10, 10), Selected(10, 10, 200), Disabled(128, 128, 128);

ImageButton *MakeButton(QWidget *parent, int group = 0)
{
    auto *b = new ImageButton(parent);
    b->SetPicNormal(Filled(Normal));
    b->SetPicMouseMove(Filled(Hover));
    b->SetPicSelect(Filled(Selected));
    b->SetAutoSize(true);
    b->SetPicAutoChange(true);
    b->SetClickAutoChange(true);
    b->SetGroupIndex(group);
    return b;
}

}  // namespace

class TestImageButton : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hoverShowsMouseMovePictureUnlessSelected()
    {
        QWidget form;
        form.resize(200, 100);
        ImageButton *b = MakeButton(&form);
        b->move(50, 50);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(Seen(b), Normal);

        QTest::mouseMove(b, QPoint(5, 5));
        QTRY_COMPARE(b->PicState(), ImageButton::isMouseMove);
        QCOMPARE(Seen(b), Hover);
        QTest::mouseMove(&form, QPoint(5, 5));
        QTRY_COMPARE(b->PicState(), ImageButton::isNormal);
        QCOMPARE(Seen(b), Normal);

        // A selected button keeps its selected look under the mouse and after it.
        b->SetPicState(ImageButton::isSelect);
        QTest::mouseMove(b, QPoint(5, 5));
        QTest::mouseMove(&form, QPoint(5, 5));
        QCOMPARE(Seen(b), Selected);
    }

    void pressLooksDownAndClickSelects()
    {
        QWidget form;
        ImageButton *b = MakeButton(&form);
        b->SetPicAutoChange(false);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy clicks(b, &ImageButton::clicked);

        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(Seen(b), Selected);
        QCOMPARE(b->PicState(), ImageButton::isNormal);
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(b->PicState(), ImageButton::isSelect);

        // Without ClickAutoChange a click only reports.
        b->SetPicState(ImageButton::isNormal);
        b->SetClickAutoChange(false);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(Seen(b), Normal);

        // Released outside the button: no click.
        QTest::mousePress(b, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::mouseRelease(b, Qt::LeftButton, {}, QPoint(300, 3));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(Seen(b), Normal);
    }

    void selectingReturnsOthersOfTheGroupToNormal()
    {
        QWidget form, otherParent;
        ImageButton *a = MakeButton(&form, 1);
        ImageButton *b = MakeButton(&form, 1);
        ImageButton *keeps = MakeButton(&form, 1);
        keeps->SetAllowAllSelected(true);
        ImageButton *otherGroup = MakeButton(&form, 2);
        ImageButton *noGroupA = MakeButton(&form, 0);
        ImageButton *noGroupB = MakeButton(&form, 0);
        ImageButton *elsewhere = MakeButton(&otherParent, 1);
        for (ImageButton *x : {a, keeps, otherGroup, noGroupA, elsewhere})
            x->SetPicState(ImageButton::isSelect);

        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(b->PicState(), ImageButton::isSelect);
        QCOMPARE(a->PicState(), ImageButton::isNormal);
        QCOMPARE(Seen(a), Normal);
        QCOMPARE(keeps->PicState(), ImageButton::isSelect);
        QCOMPARE(otherGroup->PicState(), ImageButton::isSelect);
        QCOMPARE(elsewhere->PicState(), ImageButton::isSelect);

        // Group 0 is no group.
        QTest::mouseClick(noGroupB, Qt::LeftButton, {}, QPoint(3, 3));
        QCOMPARE(noGroupA->PicState(), ImageButton::isSelect);
    }

    void disabledShowsItsPictureAndIgnoresInput()
    {
        QWidget form;
        form.resize(200, 100);
        ImageButton *withPicture = MakeButton(&form);
        withPicture->SetPicDisabled(Filled(Disabled));
        ImageButton *without = MakeButton(&form);
        without->move(0, 30);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy clicks(withPicture, &ImageButton::clicked);

        withPicture->setEnabled(false);
        without->setEnabled(false);
        QCOMPARE(Seen(withPicture), Disabled);
        QVERIFY(Seen(without) != Normal);  // dimmed, so the user sees it is off
        QTest::mouseClick(withPicture, Qt::LeftButton, {}, QPoint(3, 3));
        QTest::keyClick(withPicture, Qt::Key_Space);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(withPicture->PicState(), ImageButton::isNormal);

        withPicture->setEnabled(true);
        QCOMPARE(Seen(withPicture), Normal);
    }

    void spaceAndEnterClick_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("return") << int(Qt::Key_Return);
        QTest::newRow("enter") << int(Qt::Key_Enter);
    }
    void spaceAndEnterClick()
    {
        QFETCH(int, key);
        QWidget form;
        ImageButton *b = MakeButton(&form);
        QCOMPARE(b->focusPolicy(), Qt::StrongFocus);
        QSignalSpy clicks(b, &ImageButton::clicked);
        QTest::keyClick(b, Qt::Key(key));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(b->PicState(), ImageButton::isSelect);
    }

    void tagOneKeepsThePicture()
    {
        ImageControl image;
        image.SetPicture(Filled(Normal));
        image.SetTag(1);
        LoadJpegResource(&image, QStringLiteral("NoSuchPicture"), QStringLiteral("JPG"));
        QVERIFY(!image.Picture().isNull());
        image.SetTag(2);
        LoadJpegResource(&image, QStringLiteral("NoSuchPicture"), QStringLiteral("JPG"));
        QVERIFY(image.Picture().isNull());  // a missing picture leaves the control empty
    }

    void dialogClosesWithEscapeMainWindowDoesNot()
    {
        SkinnedWindow dialog;
        WhenShown<SkinnedWindow>([](SkinnedWindow *shown) { QTest::keyClick(shown, Qt::Key_Escape); });
        QVERIFY(!dialog.ShowModal());

        SkinnedWindow accepted;
        WhenShown<SkinnedWindow>([](SkinnedWindow *shown) { shown->accept(); });
        QVERIFY(accepted.ShowModal());

        SkinnedWindow main(nullptr, SkinnedWindow::Kind::MainWindow);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        QTest::keyClick(&main, Qt::Key_Escape);
        QTest::keyClick(&main, Qt::Key_Return);
        QVERIFY(main.isVisible());
    }

    void draggingAHandleMovesTheWindow()
    {
        SkinnedWindow form(nullptr, SkinnedWindow::Kind::MainWindow);
        form.setGeometry(100, 100, 300, 200);
        auto *header = new ImageControl(&form);
        header->setGeometry(0, 0, 300, 40);
        form.AddDragHandle(header);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QPoint before = form.pos();
        QTest::mousePress(header, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseMove(header, QPoint(40, 30));
        QTest::mouseRelease(header, Qt::LeftButton, {}, QPoint(40, 30));
        // Offscreen there is no window system to move it, so the window follows the mouse.
        QCOMPARE(form.pos(), before + QPoint(30, 20));
    }
};

WIDGET_TEST_MAIN(TestImageButton)
#include "tst_imagebutton.moc"
