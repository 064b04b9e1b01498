#pragma once
// Header only: the engine's tests share the support library and stay free of QtWidgets.
#include <QAbstractButton>
#include <QApplication>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTimer>

// Answers the message boxes a window opens, as a user would, and remembers what they said.
// A box that offers the chosen answer gets it; any other box is closed with its escape (or
// OK) button.
class MessageBoxAnswerer {
public:
    struct Box {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok)
        : m_answer(answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_timer.start(20);
    }
    MessageBoxAnswerer(const MessageBoxAnswerer &) = delete;
    MessageBoxAnswerer &operator=(const MessageBoxAnswerer &) = delete;

    void setAnswer(QMessageBox::StandardButton answer) { m_answer = answer; }

    QList<Box> seen;

    QStringList texts() const
    {
        QStringList out;
        for (const Box &b : seen)
            out << b.text;
        return out;
    }

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box->property("answered").toBool())
            return;
        box->setProperty("answered", true);
        seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        QAbstractButton *button = box->button(m_answer);
        if (!button)
            button = box->escapeButton() ? box->escapeButton() : box->button(QMessageBox::Ok);
        if (button)
            button->click();
    }

    QMessageBox::StandardButton m_answer;
    QTimer m_timer;
};
