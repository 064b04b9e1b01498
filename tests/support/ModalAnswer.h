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
