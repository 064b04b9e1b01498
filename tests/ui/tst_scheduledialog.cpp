#include "tests/support/ModalAnswer.h"
#include "ui/config/ScheduleDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QSpinBox>
#include <QTimeEdit>
#include <QtTest>

namespace {

// Replaces what the user sees in a count field by typing, as the user would.
void Type(QSpinBox *edit, const QString &text)
{
    QApplication::setActiveWindow(edit->window());
    edit->setFocus();
    QLineEdit *line = edit->findChild<QLineEdit *>();
    line->selectAll();
    QTest::keyClick(line, Qt::Key_Delete);
    QTest::keyClicks(line, text);
    QTest::keyClick(line, Qt::Key_Tab);
}

QString T(const ScheduleDialog &f)
{
    return QLocale().toString(f.dtpStartTime->time(), QLocale::LongFormat);
}

QString D()
{
    return QLocale().toString(QDate::currentDate(), QLocale::ShortFormat);
}

}  // namespace

class TestScheduleDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensAsDailyFromNow()
    {
        ScheduleDialog f;
        QCOMPARE(f.comScheduleTask->currentText(), QStringLiteral("Daily"));
        QVERIFY(!f.GroupDaily->isHidden());
        QVERIFY(f.GroupWeekly->isHidden());
        QVERIFY(f.GroupMonthly->isHidden());
        QCOMPARE(f.abScheduleTaskName->text(), QStringLiteral("At %1 every day, starting %2").arg(T(f), D()));
    }

    void descriptions_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("count");
        QTest::addColumn<QStringList>("checkDays");
        QTest::addColumn<QString>("expected");  // %1 start time, %2 today
        QTest::newRow("daily, 1") << 0 << "1" << QStringList() << "At %1 every day, starting %2";
        QTest::newRow("daily, 3") << 0 << "3" << QStringList() << "At %1 every 3 days, starting %2";
        QTest::newRow("weekly, Monday") << 1 << "1" << QStringList() << "At %1 every Mon of every week, starting %2";
        QTest::newRow("weekly, Mon+Wed") << 1 << "1" << QStringList{"Wed"} << "At %1 every Mon,Wed of every week, starting %2";
        QTest::newRow("weekly, no day") << 1 << "1" << QStringList{"Mon"} << "At %1 every  of every week, starting %2";
        QTest::newRow("weekly, 2 weeks") << 1 << "2" << QStringList{"Fri", "Sun"}
                                         << "At %1 every Mon,Fri,Sun of every 2 weeks, starting %2";
        QTest::newRow("monthly, day 15") << 2 << "15" << QStringList() << "At %1 on day 15 of every month, starting %2";
    }

    void descriptions()
    {
        QFETCH(int, kind);
        QFETCH(QString, count);
        QFETCH(QStringList, checkDays);
        QFETCH(QString, expected);
        ScheduleDialog f;
        f.show();
        f.comScheduleTask->setCurrentIndex(kind);
        QSpinBox *edit = kind == 0 ? f.seEveryOfDaily : kind == 1 ? f.seEveryOfWeekly : f.seEveryOfMonthly;
        Type(edit, count);
        for (const QString &day : checkDays) {
            auto *box = f.findChild<QCheckBox *>(QStringLiteral("CheckBox") + day);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        }
        QCOMPARE(f.abScheduleTaskName->text(), expected.arg(T(f), D()));
    }

    void countsAreClamped_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("value");
        QTest::newRow("daily 400") << 0 << "400" << 365;
        QTest::newRow("daily 0") << 0 << "0" << 1;
        QTest::newRow("daily empty") << 0 << "" << 1;
        QTest::newRow("weekly 57") << 1 << "57" << 56;
        QTest::newRow("monthly 32") << 2 << "32" << 31;
        QTest::newRow("monthly 31") << 2 << "31" << 31;
    }

    void countsAreClamped()
    {
        QFETCH(int, kind);
        QFETCH(QString, typed);
        QFETCH(int, value);
        ScheduleDialog f;
        f.show();
        f.comScheduleTask->setCurrentIndex(kind);
        QSpinBox *edit = kind == 0 ? f.seEveryOfDaily : kind == 1 ? f.seEveryOfWeekly : f.seEveryOfMonthly;
        Type(edit, QStringLiteral("7"));
        Type(edit, typed);
        QCOMPARE(edit->value(), value);
    }

    void kindChangeResets()
    {
        ScheduleDialog f;
        f.show();
        f.comScheduleTask->setCurrentIndex(1);
        Type(f.seEveryOfWeekly, QStringLiteral("3"));
        f.CheckBoxDays[2]->setChecked(true);
        f.CheckBoxDays[0]->setChecked(false);
        f.dtpStartTime->setTime(QTime(1, 2, 3));
        f.comScheduleTask->setCurrentIndex(2);
        QVERIFY(f.GroupWeekly->isHidden());
        QVERIFY(!f.GroupMonthly->isHidden());
        f.comScheduleTask->setCurrentIndex(1);
        QCOMPARE(f.WeeklyCount(), 1);
        QCOMPARE(f.WeekDays(), (std::array<bool, 7>{true, false, false, false, false, false, false}));
        QVERIFY(f.dtpStartTime->time() != QTime(1, 2, 3));
    }

    void resultFlag_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("OK") << "OkButton" << true;
        QTest::newRow("Cancel") << "CancelButton" << false;
        QTest::newRow("close box") << "SMCLoseBtn" << false;
    }

    void resultFlag()
    {
        QFETCH(QString, button);
        QFETCH(bool, accepted);
        ScheduleDialog f;
        WhenShown<ScheduleDialog>([&](ScheduleDialog *shown) {
            shown->comScheduleTask->setCurrentIndex(2);
            QTest::mouseClick(shown->findChild<QWidget *>(button), Qt::LeftButton);
        });
        QCOMPARE(f.ShowModal(), accepted);
    }
};

WIDGET_TEST_MAIN(TestScheduleDialog)
#include "tst_scheduledialog.moc"
