#pragma once
// Header only: the engine's tests share the support library and stay free of QtWidgets.
#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QInputDialog>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>

// Answers the windows a widget test opens. The test says beforehand which window it expects
// and how to answer it (ModalAnswer.h, MessageBoxAnswerer.h); any other modal window fails
// the running test at once, naming its caption and text, and is closed as Escape would
// close it. A fault that opens a window nobody expects so shows as that failure, not as a
// test that waits until CTest kills it.
//
// One guard per test program, made by WIDGET_TEST_MAIN; it is the application's child, so the
// helpers find it without a global.
class ModalGuard : public QObject {
public:
    using Accepts = std::function<bool(QWidget *)>;
    using Answer = std::function<void(QWidget *)>;

    // A window the test expects; deleting it withdraws the expectation.
    class Expectation : public QObject {
    public:
        Expectation(QObject *parent, Accepts accepts, Answer answer, bool popup, bool lasting)
            : QObject(parent), accepts(std::move(accepts)), answer(std::move(answer)), popup(popup),
              lasting(lasting), test(TestNow())
        {
        }
        const Accepts accepts;
        const Answer answer;
        const bool popup;    // a popup (menu) rather than a modal window
        const bool lasting;  // answers every such window while it lives, after the one-time ones
        const QByteArray test;
    };

    explicit ModalGuard(QApplication &app) : QObject(&app)
    {
        connect(&m_poll, &QTimer::timeout, this, [this] { Poll(); });
        // Often enough that answers come at once, seldom enough to cost nothing.
        m_poll.start(10);
    }

    static ModalGuard &Of()
    {
        for (QObject *child : QCoreApplication::instance()->children())
            if (auto *guard = dynamic_cast<ModalGuard *>(child))
                return *guard;
        qFatal("A widget test uses WIDGET_TEST_MAIN, which makes the guard for its windows");
    }

    // The next window (or, lasting, every window) that accepts takes is handed to answer,
    // which should close it. One-time expectations come first, in the order they were made;
    // one left over from an earlier test function is dropped. Owned by the guard: a one-time
    // expectation deletes itself once used, a lasting one is deleted by whoever made it.
    Expectation *Expect(Accepts accepts, Answer answer, bool popup = false, bool lasting = false)
    {
        auto *e = new Expectation(this, std::move(accepts), std::move(answer), popup, lasting);
        m_expected.append(e);
        return e;
    }

    // Closes the window as Escape would: a message box by its escape button (or OK), a dialog
    // by reject, anything else by close.
    static void Dismiss(QWidget *w)
    {
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            QAbstractButton *button = box->escapeButton() ? box->escapeButton() : box->button(QMessageBox::Ok);
            if (button) {
                button->click();
                return;
            }
        }
        if (auto *dialog = qobject_cast<QDialog *>(w))
            dialog->reject();
        else
            w->close();
    }

    // Unexpected windows seen while no test function ran (the program then fails).
    int FailuresOutsideTests() const { return m_failedOutside; }

private:
    static QByteArray TestNow()
    {
        return QByteArray(QTest::currentTestFunction()) + '/' + QTest::currentDataTag();
    }

    void Poll()
    {
        m_claimed.removeIf([](const QPointer<QWidget> &w) { return !w || !w->isVisible(); });
        m_lingering.removeIf([this](const Lingering &l) {
            QWidget *w = l.window;
            if (!w || !w->isVisible())
                return true;
            // Judged only on top: a window opened over it may be what keeps it open.
            if (!l.deadline.hasExpired() || (w != QApplication::activeModalWidget() && w != QApplication::activePopupWidget()))
                return false;
            Fail(QStringLiteral("A window stayed open after the test answered it: ") + Describe(w));
            QMetaObject::invokeMethod(this, [target = l.window] { if (target) Dismiss(target); }, Qt::QueuedConnection);
            return true;
        });
        if (QWidget *popup = QApplication::activePopupWidget(); popup && !m_claimed.contains(popup))
            Offer(popup, true);
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && !m_claimed.contains(modal) && !Offer(modal, false))
            Refuse(modal);
    }

    bool Offer(QWidget *w, bool popup)
    {
        m_expected.removeIf([](const QPointer<Expectation> &e) { return !e; });
        const QByteArray now = TestNow();
        Expectation *taker = nullptr;
        for (const bool lasting : {false, true}) {
            for (const QPointer<Expectation> &e : std::as_const(m_expected)) {
                if (!lasting && e->test != now && !e->lasting) {
                    e->deleteLater();
                    continue;
                }
                if (e->lasting == lasting && e->popup == popup && e->accepts(w)) {
                    taker = e;
                    break;
                }
            }
            if (taker)
                break;
        }
        if (!taker)
            return false;
        m_claimed.append(w);
        if (!taker->lasting) {
            m_expected.removeOne(taker);
            taker->deleteLater();
        }
        // Queued: a timer does not fire again while its own slot runs, and the answer may
        // open the next window, which this poll must see.
        QMetaObject::invokeMethod(
            this,
            [this, answer = taker->answer, lasting = taker->lasting, alive = QPointer<Expectation>(taker),
             target = QPointer<QWidget>(w)] {
                if (!target)
                    return;
                if (lasting && !alive) {
                    // Its answerer went meanwhile: the window is judged again.
                    m_claimed.removeOne(target);
                    return;
                }
                answer(target);
                if (!target || !target->isVisible())
                    return;
                // An answer whose check failed returns early: the window goes. Otherwise it
                // gets a moment to close by itself.
                if (QTest::currentTestFailed())
                    Dismiss(target);
                else
                    m_lingering.append({target, QDeadlineTimer(LingerMs)});
            },
            Qt::QueuedConnection);
        return true;
    }

    void Refuse(QWidget *w)
    {
        m_claimed.append(w);
        Fail(QStringLiteral("A window the test did not expect opened: ") + Describe(w));
        QMetaObject::invokeMethod(
            this, [target = QPointer<QWidget>(w)] { if (target) Dismiss(target); }, Qt::QueuedConnection);
    }

    static QString Describe(QWidget *w)
    {
        QString text;
        if (auto *box = qobject_cast<QMessageBox *>(w))
            text = box->text();
        else if (auto *input = qobject_cast<QInputDialog *>(w))
            text = input->labelText();
        return QStringLiteral("%1 \"%2\"%3").arg(QString::fromLatin1(w->metaObject()->className()), w->windowTitle(),
                                                 text.isEmpty() ? QString() : QStringLiteral(": ") + text);
    }

    void Fail(const QString &message)
    {
        if (QTest::currentTestFunction()) {
            QTest::qFail(qPrintable(message), __FILE__, __LINE__);
        } else {
            qWarning("%s", qPrintable(message));
            ++m_failedOutside;
        }
    }

    struct Lingering {
        QPointer<QWidget> window;
        QDeadlineTimer deadline;
    };
    static constexpr int LingerMs = 3000;

    QTimer m_poll;
    QList<QPointer<Expectation>> m_expected;
    QList<QPointer<QWidget>> m_claimed;  // being answered or refused, until hidden
    QList<Lingering> m_lingering;        // answered, yet still open
    int m_failedOutside = 0;
};

// QTEST_MAIN for widget tests: the same application, with a guard for its windows.
#define WIDGET_TEST_MAIN(TestObject)                                   \
    int main(int argc, char *argv[])                                   \
    {                                                                  \
        QApplication app(argc, argv);                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                       \
        ModalGuard guard(app);                                         \
        int failed = 0;                                                \
        {                                                              \
            TestObject tc;                                             \
            QTEST_SET_MAIN_SOURCE_PATH                                 \
            failed = QTest::qExec(&tc, argc, argv);                    \
        }                                                              \
        return failed ? failed : guard.FailuresOutsideTests();         \
    }
