#include "ui/config/OptionsDialog.h"

#include "app/ProductInfo.h"
#include "app/Settings.h"
#include "platform/Registry.h"
#include "platform/RunAtLogon.h"
#include "ui/config/ConfigSkin.h"
#include "ui/config/ScheduleDialog.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ImageControl.h"
#include "ui/widgets/ResourcePictures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTreeWidget>

namespace {

constexpr int FormWidth = 500;
constexpr int FormHeight = 385;
const QString Caption = QStringLiteral("Corvane");

ImageButton *MakeImageButton(QWidget *parent, const QString &name, const QString &pictures, const QString &accessible)
{
    auto *button = new ImageButton(parent);
    button->setObjectName(name);
    button->setAccessibleName(accessible);
    if (!pictures.isEmpty())
        HoverPictures(button, pictures);
    return button;
}

// A page button: a picture with its caption over it.
ImageButton *PageButton(QWidget *parent, const QString &name, const QString &caption, int x)
{
    ImageButton *button = MakeImageButton(parent, name, {}, caption);
    button->setGeometry(x, 34, 125, 28);
    auto *label = new QLabel(caption, button);
    label->setAlignment(Qt::AlignCenter);
    label->setGeometry(0, 0, 125, 28);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return button;
}

}  // namespace

OptionsDialog::OptionsDialog(QWidget *parent, Settings &settings, std::function<void()> checkUpdateNow,
                             const QString &systemctl)
    : SkinnedWindow(parent)
    , m_settings(settings)
    , m_checkUpdateNow(std::move(checkUpdateNow))
    , m_schedule(this, systemctl)
{
    setWindowTitle(QStringLiteral("Options"));
    setFixedSize(FormWidth, FormHeight);

    ConfigSkin::Background(this, QStringLiteral("OptionBack"));
    ShowTitleInBand();

    GeneralPageBtn = PageButton(this, QStringLiteral("GeneralPageBtn"), QStringLiteral("General Settings"), 12);
    SchedulePageBtn = PageButton(this, QStringLiteral("SchedulePageBtn"), QStringLiteral("Scheduling"), 137);
    connect(GeneralPageBtn, &ImageControl::clicked, this, &OptionsDialog::ShowGeneralSettings);
    connect(SchedulePageBtn, &ImageControl::clicked, this, &OptionsDialog::ShowScheduling);

    SMCLoseBtn = MakeImageButton(this, QStringLiteral("SMCLoseBtn"), QStringLiteral("OSMCLoseBtn"), QStringLiteral("Close"));
    SMCLoseBtn->setGeometry(FormWidth - 30, 8, 22, 17);
    connect(SMCLoseBtn, &ImageControl::clicked, this, &QDialog::reject);

    const QRect pageRect(12, 70, FormWidth - 24, FormHeight - 70 - 52);

    // General Settings
    m_generalPage = new QWidget(this);
    m_generalPage->setGeometry(pageRect);
    auto *runGroup = new QGroupBox(QStringLiteral("Schedule Option"), m_generalPage);
    runGroup->setGeometry(8, 8, pageRect.width() - 16, 64);
    ChkRun = new QCheckBox(QStringLiteral("Start Corvane when I log in"), runGroup);
    ChkRun->setObjectName(QStringLiteral("ChkRun"));
    ChkRun->setGeometry(16, 28, 300, 22);

    auto *updateGroup = new QGroupBox(QStringLiteral("Check Update"), m_generalPage);
    updateGroup->setGeometry(8, 84, pageRect.width() - 16, 110);
    cbCheckUpdate = new QCheckBox(QStringLiteral("Check for Corvane updates automatically"), updateGroup);
    cbCheckUpdate->setObjectName(QStringLiteral("cbCheckUpdate"));
    cbCheckUpdate->setGeometry(16, 28, 320, 22);
    CheckUpdateBtn = MakeImageButton(updateGroup, QStringLiteral("CheckUpdateBtn"), QStringLiteral("CheckUpdateBtn"),
                                     QStringLiteral("Check for update now"));
    CheckUpdateBtn->setGeometry(16, 64, 116, 28);
    connect(CheckUpdateBtn, &ImageControl::clicked, this, [this] {
        if (m_checkUpdateNow)
            m_checkUpdateNow();
    });
    LabelVer = new QLabel(updateGroup);
    LabelVer->setObjectName(QStringLiteral("LabelVer"));
    LabelVer->setGeometry(150, 68, 280, 20);

    auto *noticeGroup = new QGroupBox(QStringLiteral("When a background run ends"), m_generalPage);
    noticeGroup->setGeometry(8, 204, pageRect.width() - 16, 54);
    auto *noticeLabel = new QLabel(QStringLiteral("Desktop notification:"), noticeGroup);
    noticeLabel->setGeometry(16, 22, 140, 22);
    cbRunEndNotice = new QComboBox(noticeGroup);
    cbRunEndNotice->setObjectName(QStringLiteral("cbRunEndNotice"));
    // In the order of the stored values.
    cbRunEndNotice->addItems({QStringLiteral("Always"), QStringLiteral("Failures only"), QStringLiteral("Off")});
    cbRunEndNotice->setGeometry(160, 22, 160, 24);
    noticeLabel->setBuddy(cbRunEndNotice);

    // Scheduling
    m_schedulingPage = new QWidget(this);
    m_schedulingPage->setGeometry(pageRect);
    ScheduleListView = new QTreeWidget(m_schedulingPage);
    ScheduleListView->setObjectName(QStringLiteral("ScheduleListView"));
    ScheduleListView->setGeometry(8, 8, pageRect.width() - 16, pageRect.height() - 16);
    ScheduleListView->setHeaderLabels({QStringLiteral("Schedule"), QStringLiteral("Trigger Type"), QStringLiteral("Start Time")});
    ScheduleListView->setColumnWidth(0, 175);
    ScheduleListView->setColumnWidth(1, 100);
    ScheduleListView->setColumnWidth(2, 180);
    ScheduleListView->setRootIsDecorated(false);
    ScheduleListView->setItemsExpandable(false);
    ScheduleListView->setSelectionBehavior(QAbstractItemView::SelectRows);
    ScheduleListView->setSelectionMode(QAbstractItemView::SingleSelection);
    ScheduleListView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ScheduleListView->header()->setSectionsClickable(false);
    ScheduleListView->header()->setSectionsMovable(false);
    // A report view with grid lines.
    ScheduleListView->setStyleSheet(QStringLiteral(
        "QTreeView::item { border-right: 1px solid #d4d4d4; border-bottom: 1px solid #d4d4d4; }"));

    const int buttonY = FormHeight - 44;
    ApplyBtn = MakeImageButton(this, QStringLiteral("ApplyBtn"), QStringLiteral("apply"), QStringLiteral("Apply"));
    ApplyBtn->setGeometry(FormWidth - 100, buttonY, 80, 28);
    connect(ApplyBtn, &ImageControl::clicked, this, &OptionsDialog::ApplyBtnClick);
    SetDefaultButton(ApplyBtn);

    AddScheduleBtn = MakeImageButton(this, QStringLiteral("AddScheduleBtn"), QStringLiteral("AddScheduleBtn"),
                                     QStringLiteral("Add schedule"));
    AddScheduleBtn->setGeometry(FormWidth - 304, buttonY, 80, 28);
    connect(AddScheduleBtn, &ImageControl::clicked, this, &OptionsDialog::AddScheduleBtnClick);
    RemoveScheduleBtn = MakeImageButton(this, QStringLiteral("RemoveScheduleBtn"), QStringLiteral("RemoveScheduleBtn"),
                                        QStringLiteral("Remove schedule"));
    RemoveScheduleBtn->setGeometry(FormWidth - 214, buttonY, 92, 28);
    connect(RemoveScheduleBtn, &ImageControl::clicked, this, &OptionsDialog::RemoveScheduleBtnClick);
    ClearAllBtn = MakeImageButton(this, QStringLiteral("ClearAllBtn"), QStringLiteral("ClearAllBtn"),
                                  QStringLiteral("Clear all schedules"));
    ClearAllBtn->setGeometry(FormWidth - 112, buttonY, 92, 28);
    connect(ClearAllBtn, &ImageControl::clicked, this, &OptionsDialog::ClearAllBtnClick);

    ShowGeneralSettings();
}

void OptionsDialog::ShowGeneralSettings()
{
    LoadJpegResource(GeneralPageBtn, QStringLiteral("select1Button2"), QStringLiteral("JPG"));
    LoadJpegResource(SchedulePageBtn, QStringLiteral("select1Button1"), QStringLiteral("JPG"));
    m_schedulingPage->hide();
    m_generalPage->show();
    AddScheduleBtn->hide();
    RemoveScheduleBtn->hide();
    ClearAllBtn->hide();
    ApplyBtn->show();
    LoadOptions();
}

void OptionsDialog::ShowScheduling()
{
    LoadJpegResource(GeneralPageBtn, QStringLiteral("select1Button1"), QStringLiteral("JPG"));
    LoadJpegResource(SchedulePageBtn, QStringLiteral("select1Button2"), QStringLiteral("JPG"));
    m_generalPage->hide();
    m_schedulingPage->show();
    AddScheduleBtn->show();
    RemoveScheduleBtn->show();
    ClearAllBtn->show();
    ApplyBtn->hide();
    m_schedule.ListWorkItems(ScheduleListView);
}

void OptionsDialog::LoadOptions()
{
    // The entry must start exactly this executable; no entry at all reads as unchecked.
    if (const std::optional<QString> program = RunAtLogon::Read())
        ChkRun->setChecked(*program == QCoreApplication::applicationFilePath());

    QString version = QLatin1String(ProductInfo::InstalledVersion);
    RegistryKey key;
    if (key.Open(RegistryHive::CurrentUser, QLatin1String(ProductInfo::SettingsKey), false)) {
        cbCheckUpdate->setChecked(key.ReadDword(QStringLiteral("CheckUpdate")).value_or(0) != 0);
        const QString stored = key.ReadString(QStringLiteral("Version")).value_or(QString());
        if (!stored.trimmed().isEmpty())
            version = stored;
    }
    LabelVer->setText(QStringLiteral("Version: ") + version);
    cbRunEndNotice->setCurrentIndex(int(ReadRunEndNotice()));
}

void OptionsDialog::WriteRunAtLogon(bool on)
{
    const bool done = on ? RunAtLogon::Write(QCoreApplication::applicationFilePath()) : RunAtLogon::Remove();
    if (!done)
        QMessageBox::warning(this, Caption,
                             QStringLiteral("The autostart entry %1 could not be %2.")
                                 .arg(RunAtLogon::EntryPath(), on ? QStringLiteral("written") : QStringLiteral("removed")));
}

void OptionsDialog::WriteCheckUpdate()
{
    RegistryKey key;
    if (!key.Open(RegistryHive::CurrentUser, QLatin1String(ProductInfo::SettingsKey), true))
        return;
    m_settings.CheckUpdate = cbCheckUpdate->isChecked();
    key.WriteDword(QStringLiteral("CheckUpdate"), m_settings.CheckUpdate ? 1 : 0);
}

void OptionsDialog::ApplyBtnClick()
{
    WriteRunAtLogon(ChkRun->isChecked());
    WriteCheckUpdate();
    WriteRunEndNotice(RunEndNotice(cbRunEndNotice->currentIndex()));
    accept();
}

void OptionsDialog::AddScheduleBtnClick()
{
    ScheduleDialog form(this);
    if (!form.ShowModal())
        return;
    // Two schedules added within one second must not share a name.
    const QString name = m_schedule.FreeWorkItemName(
        QDateTime::currentDateTime().toString(QStringLiteral("MM-dd-yyyy_HHmmss")));
    switch (form.Kind()) {
    case 0:
        m_schedule.CreateWorkItem(name, 0, form.DailyCount(), form.StartTime());
        break;
    case 1:
        m_schedule.WorkItemDays = form.WeekDays();
        m_schedule.CreateWorkItem(name, 1, form.WeeklyCount(), form.StartTime());
        break;
    case 2:
        m_schedule.CreateWorkItem(name, 2, form.MonthlyDay(), form.StartTime());
        break;
    }
    m_schedule.ListWorkItems(ScheduleListView);
}

void OptionsDialog::RemoveScheduleBtnClick()
{
    QTreeWidgetItem *row = ScheduleListView->currentItem();
    if (!row || !row->isSelected()) {
        QMessageBox::warning(this, Caption, QStringLiteral("Please select the specific item for this operation!"));
        return;
    }
    if (m_schedule.DeleteWorkItem(row->text(0)) == 0)
        delete row;
}

void OptionsDialog::ClearAllBtnClick()
{
    const int rows = ScheduleListView->topLevelItemCount();
    int deleted = 0;
    QStringList errors;
    for (int i = 0; i < rows; ++i) {
        QString error;
        if (m_schedule.DeleteWorkItem(ScheduleListView->topLevelItem(i)->text(0), &error) == 0)
            ++deleted;
        else if (!errors.contains(error))
            errors << error;
    }
    if (deleted == rows)
        ScheduleListView->clear();
    else
        m_schedule.ShowError(QStringLiteral("Delete"), errors.join(QLatin1Char('\n')));
}
