#pragma once
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <functional>

// Answers a modal window (or a popup) the code under test opens and waits in: polls on the
// event loop until a window of type W is the active modal one, then hands it to act once.
// The returned timer may be deleted to stop waiting (when the window must not come).
template <class W>
QTimer *WhenShown(std::function<void(W *)> act, bool popup = false)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act, popup] {
        QWidget *top = popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
        if (W *w = qobject_cast<W *>(top)) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
    return timer;
}

// Presses OK on the next message box and keeps its caption and text.
struct BoxSeen {
    bool shown = false;
    QString caption;
    QString text;
};

inline QTimer *AnswerNextBox(BoxSeen &seen)
{
    return WhenShown<QMessageBox>([&seen](QMessageBox *box) {
        seen.shown = true;
        seen.caption = box->windowTitle();
        seen.text = box->text();
        box->accept();
    });
}
