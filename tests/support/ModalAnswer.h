#pragma once
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <functional>

// Waits (in the event loop) for the next modal widget of type W and hands it to answer,
// which must close it. Call before the action that opens it.
template <typename W>
void AnswerNextModal(std::function<void(W *)> answer)
{
    QTimer::singleShot(0, [answer] {
        if (auto *w = qobject_cast<W *>(QApplication::activeModalWidget()))
            answer(w);
        else
            AnswerNextModal<W>(answer);
    });
}

// Closes the next message box, keeping its text.
inline void CloseNextMessageBox(QString *text)
{
    AnswerNextModal<QMessageBox>([text](QMessageBox *box) {
        *text = box->text();
        box->accept();
    });
}

// Like AnswerNextModal, but also for a popup, and it can be called off: polls on the
// event loop until a window of type W is the active modal (or popup) one, then hands it to act once.
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
