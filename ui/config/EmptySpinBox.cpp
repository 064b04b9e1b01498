#include "ui/config/EmptySpinBox.h"

#include <QLineEdit>

EmptySpinBox::EmptySpinBox(int maximum, QWidget *parent) : QSpinBox(parent)
{
    setRange(-1, maximum);
    lineEdit()->setMaxLength(int(QString::number(maximum).size()));
    // Without this the box would put back the previous value when the text is cleared.
    setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
}

void EmptySpinBox::stepBy(int steps)
{
    // The arrows never step into the empty text.
    setValue(qMax(0, value() < 0 ? 0 : value() + steps));
}

QValidator::State EmptySpinBox::validate(QString &text, int &pos) const
{
    if (text.isEmpty())
        return QValidator::Acceptable;
    for (const QChar c : text)
        if (!c.isDigit())
            return QValidator::Invalid;
    return QSpinBox::validate(text, pos);
}

int EmptySpinBox::valueFromText(const QString &text) const
{
    return text.isEmpty() ? -1 : QSpinBox::valueFromText(text);
}

QString EmptySpinBox::textFromValue(int value) const
{
    return value < 0 ? QString() : QSpinBox::textFromValue(value);
}

void EmptySpinBox::fixup(QString &input) const
{
    if (!input.isEmpty())
        QSpinBox::fixup(input);
}
