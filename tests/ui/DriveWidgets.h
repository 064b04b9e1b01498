#pragma once
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <QWidget>

// Finding a window's controls by their names and using them as a user does.

template <class T>
T *control(QWidget &window, const char *name)
{
    T *c = window.findChild<T *>(QString::fromLatin1(name));
    if (!c)
        qFatal("no control %s", name);
    return c;
}

inline void click(QWidget *w)
{
    // A check box or radio button takes clicks on its box and caption, not its whole width.
    const bool box = qobject_cast<QCheckBox *>(w) || qobject_cast<QRadioButton *>(w);
    QTest::mouseClick(w, Qt::LeftButton, {}, box ? QPoint(6, w->height() / 2) : w->rect().center());
}

// Replaces the edit's text by typing.
inline void type(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    edit->setCursorPosition(0);
    edit->clear();
    QTest::keyClicks(edit, text);
}
