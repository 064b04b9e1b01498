#pragma once
#include "tests/support/ModalGuard.h"

#include <QAbstractButton>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>

// Answers the message boxes a window opens while it lives, as a user would, and remembers
// what they said. A box that offers the chosen answer gets it; any other box is closed with
// its escape (or OK) button. Windows of other kinds stay the guard's to judge.
class MessageBoxAnswerer {
public:
    struct Box {
        QString caption;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    explicit MessageBoxAnswerer(QMessageBox::StandardButton answer = QMessageBox::Ok)
        : m_answer(answer),
          m_expectation(ModalGuard::Of().Expect([](QWidget *w) { return qobject_cast<QMessageBox *>(w) != nullptr; },
                                                [this](QWidget *w) { Answer(static_cast<QMessageBox *>(w)); },
                                                false, true))
    {
    }
    ~MessageBoxAnswerer() { delete m_expectation; }
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
    void Answer(QMessageBox *box)
    {
        seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        if (QAbstractButton *button = box->button(m_answer))
            button->click();
        else
            ModalGuard::Dismiss(box);
    }

    QMessageBox::StandardButton m_answer;
    ModalGuard::Expectation *m_expectation;
};
