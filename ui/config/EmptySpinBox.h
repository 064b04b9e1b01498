#pragma once
#include <QSpinBox>

// A spin edit that may be left empty: the empty text is the value -1 (what the job's
// period fields store for an empty edit); stepping up from it gives 0.
class EmptySpinBox : public QSpinBox {
    Q_OBJECT
public:
    // maximum: the largest value; the edit then takes as many digits as it has.
    EmptySpinBox(int maximum, QWidget *parent = nullptr);

    void stepBy(int steps) override;

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    int valueFromText(const QString &text) const override;
    QString textFromValue(int value) const override;
    void fixup(QString &input) const override;
};
