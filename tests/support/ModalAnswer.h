#pragma once
#include "tests/support/ModalGuard.h"

#include <QMessageBox>
#include <QTest>
#include <functional>

// Expects the next window of type W (a popup such as a menu when popup is set) and hands it
// to act, which should close it. Call before the action that opens it. Deleting the returned
// expectation withdraws it (when the window must not come); it deletes itself once used.
template <class W>
QObject *WhenShown(std::function<void(W *)> act, bool popup = false)
{
    return ModalGuard::Of().Expect([](QWidget *w) { return qobject_cast<W *>(w) != nullptr; },
                                   [act](QWidget *w) { act(static_cast<W *>(w)); }, popup);
}

// What the answered message box said.
struct BoxSeen {
    bool shown = false;
    QString caption;
    QString text;
};

// Presses button on the next message box that offers it, keeping its caption and text in
// seen. A box without that button is not this one: the guard fails the test on it.
inline QObject *AnswerNextBox(QMessageBox::StandardButton button, BoxSeen *seen = nullptr)
{
    return ModalGuard::Of().Expect(
        [button](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            return box && box->button(button);
        },
        [button, seen](QWidget *w) {
            auto *box = static_cast<QMessageBox *>(w);
            if (seen)
                *seen = {true, box->windowTitle(), box->text()};
            QTest::mouseClick(box->button(button), Qt::LeftButton);
        });
}

// Presses OK on the next message box.
inline QObject *AnswerNextBox(BoxSeen &seen)
{
    return AnswerNextBox(QMessageBox::Ok, &seen);
}
