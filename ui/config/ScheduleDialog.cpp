#include "ui/config/ScheduleDialog.h"

#include "ui/config/ConfigSkin.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ImageControl.h"
#include "ui/widgets/ResourcePictures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <QTimeEdit>

namespace {

constexpr int FormWidth = 488;
constexpr int FormHeight = 333;
constexpr int TypedMaximum = 999999;

// A count field that accepts any typed number (the form clamps it) and reads an emptied
// field as its minimum.
class CountSpinBox : public QSpinBox {
public:
    CountSpinBox(QWidget *parent, int minimum)
        : QSpinBox(parent)
        , m_minimum(minimum)
    {
        setRange(0, TypedMaximum);
        setValue(minimum);
    }

    void fixup(QString &input) const override
    {
        if (input.trimmed().isEmpty())
            input = QString::number(m_minimum);
        QSpinBox::fixup(input);
    }

private:
    int m_minimum;
};

QLabel *Caption(const QString &text, QWidget *parent, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

}  // namespace

ScheduleDialog::ScheduleDialog(QWidget *parent)
    : SkinnedWindow(parent)
{
    setWindowTitle(QStringLiteral("Schedule Manager"));
    setFixedSize(FormWidth, FormHeight);

    ConfigSkin::Background(this, QStringLiteral("ScheduleBack"));
    ShowTitleInBand();

    auto *tab = new ImageControl(this);
    LoadJpegResource(tab, QStringLiteral("ScheduleTab"), QStringLiteral("JPG"));
    tab->setGeometry(12, 34, 125, 28);
    tab->setAccessibleName(QStringLiteral("Scheduling"));  // the picture carries the caption
    AddDragHandle(tab);

    abScheduleTaskName = new QLabel(this);
    abScheduleTaskName->setObjectName(QStringLiteral("abScheduleTaskName"));
    abScheduleTaskName->setGeometry(20, 74, FormWidth - 40, 20);

    Caption(QStringLiteral("Schedule Task:"), this, 20, 108);
    comScheduleTask = new QComboBox(this);
    comScheduleTask->setObjectName(QStringLiteral("comScheduleTask"));
    comScheduleTask->addItems({QStringLiteral("Daily"), QStringLiteral("Weekly"), QStringLiteral("Monthly")});
    comScheduleTask->setGeometry(120, 104, 120, 24);

    Caption(QStringLiteral("Start time:"), this, 260, 108);
    dtpStartTime = new QTimeEdit(this);
    dtpStartTime->setObjectName(QStringLiteral("dtpStartTime"));
    dtpStartTime->setDisplayFormat(QStringLiteral("HH:mm:ss"));
    dtpStartTime->setGeometry(340, 104, 120, 24);

    const QRect groupRect(20, 142, FormWidth - 40, 120);
    GroupDaily = new QGroupBox(QStringLiteral("Schedule Task Daily"), this);
    GroupDaily->setGeometry(groupRect);
    Caption(QStringLiteral("Every"), GroupDaily, 16, 34);
    seEveryOfDaily = CountEdit(GroupDaily, 1, 365);
    seEveryOfDaily->setObjectName(QStringLiteral("seEveryOfDaily"));
    seEveryOfDaily->setGeometry(60, 30, 70, 24);
    Caption(QStringLiteral("day(s)"), GroupDaily, 140, 34);

    GroupWeekly = new QGroupBox(QStringLiteral("Schedule Task Weekly"), this);
    GroupWeekly->setGeometry(groupRect);
    Caption(QStringLiteral("Every"), GroupWeekly, 16, 34);
    seEveryOfWeekly = CountEdit(GroupWeekly, 1, 56);
    seEveryOfWeekly->setObjectName(QStringLiteral("seEveryOfWeekly"));
    seEveryOfWeekly->setGeometry(60, 30, 70, 24);
    Caption(QStringLiteral("week(s)  on:"), GroupWeekly, 140, 34);
    static const char *const DayNames[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    for (int i = 0; i < 7; ++i) {
        auto *box = new QCheckBox(QLatin1String(DayNames[i]), GroupWeekly);
        box->setObjectName(QStringLiteral("CheckBox") + QLatin1String(DayNames[i]));
        box->setGeometry(16 + i * 62, 72, 60, 22);
        connect(box, &QCheckBox::toggled, this, &ScheduleDialog::UpdateDescription);
        CheckBoxDays[i] = box;
    }

    GroupMonthly = new QGroupBox(QStringLiteral("Schedule Task Monthly"), this);
    GroupMonthly->setGeometry(groupRect);
    Caption(QStringLiteral("Day"), GroupMonthly, 16, 34);
    seEveryOfMonthly = CountEdit(GroupMonthly, 1, 31);
    seEveryOfMonthly->setObjectName(QStringLiteral("seEveryOfMonthly"));
    seEveryOfMonthly->setGeometry(60, 30, 70, 24);
    Caption(QStringLiteral("of the month(s)"), GroupMonthly, 140, 34);

    auto *ok = new ImageButton(this);
    ok->setObjectName(QStringLiteral("OkButton"));
    SetDefaultButton(ok);
    ok->setAccessibleName(QStringLiteral("OK"));
    HoverPictures(ok, QStringLiteral("Ok"));
    ok->setGeometry(FormWidth - 190, FormHeight - 48, 80, 28);
    connect(ok, &ImageControl::clicked, this, &QDialog::accept);

    auto *cancel = new ImageButton(this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    cancel->setAccessibleName(QStringLiteral("Cancel"));
    HoverPictures(cancel, QStringLiteral("Cancel"));
    cancel->setGeometry(FormWidth - 100, FormHeight - 48, 80, 28);
    connect(cancel, &ImageControl::clicked, this, &QDialog::reject);

    auto *close = new ImageButton(this);
    close->setObjectName(QStringLiteral("SMCLoseBtn"));
    close->setAccessibleName(QStringLiteral("Close"));
    HoverPictures(close, QStringLiteral("SMCLoseBtn"));
    close->setGeometry(FormWidth - 30, 8, 22, 17);
    connect(close, &ImageControl::clicked, this, &QDialog::reject);

    // Opening: a daily schedule from now.
    comScheduleTask->setCurrentIndex(0);
    dtpStartTime->setTime(QTime::currentTime());
    seEveryOfDaily->setValue(1);
    GroupWeekly->hide();
    GroupMonthly->hide();
    connect(comScheduleTask, &QComboBox::currentIndexChanged, this, &ScheduleDialog::comScheduleTaskChange);
    connect(dtpStartTime, &QTimeEdit::timeChanged, this, &ScheduleDialog::UpdateDescription);
    UpdateDescription();
}

QSpinBox *ScheduleDialog::CountEdit(QWidget *parent, int minimum, int maximum)
{
    auto *edit = new CountSpinBox(parent, minimum);
    const auto clamp = [edit, minimum, maximum] {
        const int v = edit->value();
        if (v < minimum || v > maximum)
            edit->setValue(std::clamp(v, minimum, maximum));
    };
    connect(edit, &QSpinBox::valueChanged, this, [this, clamp] {
        clamp();
        UpdateDescription();
    });
    return edit;
}

void ScheduleDialog::comScheduleTaskChange()
{
    const int kind = comScheduleTask->currentIndex();
    dtpStartTime->setTime(QTime::currentTime());
    if (kind == 0)
        seEveryOfDaily->setValue(1);
    if (kind == 1) {
        seEveryOfWeekly->setValue(1);
        for (int i = 0; i < 7; ++i)
            CheckBoxDays[i]->setChecked(i == 0);
    }
    if (kind == 2)
        seEveryOfMonthly->setValue(1);
    GroupDaily->setVisible(kind == 0);
    GroupWeekly->setVisible(kind == 1);
    GroupMonthly->setVisible(kind == 2);
    UpdateDescription();
}

QString ScheduleDialog::Description() const
{
    const QLocale locale;
    const QString t = locale.toString(dtpStartTime->time(), QLocale::LongFormat);
    const QString d = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
    switch (Kind()) {
    case 0:
        if (DailyCount() == 1)
            return QStringLiteral("At %1 every day, starting %2").arg(t, d);
        return QStringLiteral("At %1 every %2 days, starting %3").arg(t).arg(DailyCount()).arg(d);
    case 1: {
        QStringList days;
        for (QCheckBox *box : CheckBoxDays)
            if (box->isChecked())
                days << box->text();
        const QString list = days.join(QLatin1Char(','));
        if (WeeklyCount() == 1)
            return QStringLiteral("At %1 every %2 of every week, starting %3").arg(t, list, d);
        return QStringLiteral("At %1 every %2 of every %3 weeks, starting %4").arg(t, list).arg(WeeklyCount()).arg(d);
    }
    default:
        return QStringLiteral("At %1 on day %2 of every month, starting %3").arg(t).arg(MonthlyDay()).arg(d);
    }
}

void ScheduleDialog::UpdateDescription()
{
    abScheduleTaskName->setText(Description());
}

int ScheduleDialog::Kind() const
{
    return comScheduleTask->currentIndex();
}

QTime ScheduleDialog::StartTime() const
{
    return dtpStartTime->time();
}

int ScheduleDialog::DailyCount() const
{
    return seEveryOfDaily->value();
}

int ScheduleDialog::WeeklyCount() const
{
    return seEveryOfWeekly->value();
}

int ScheduleDialog::MonthlyDay() const
{
    return seEveryOfMonthly->value();
}

std::array<bool, 7> ScheduleDialog::WeekDays() const
{
    std::array<bool, 7> days{};
    for (int i = 0; i < 7; ++i)
        days[i] = CheckBoxDays[i]->isChecked();
    return days;
}
