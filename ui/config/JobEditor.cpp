#include "ui/config/JobEditor.h"

#include "folders/FtpFolder.h"
#include "model/RemoteAddress.h"
#include "model/Job.h"
#include "model/JobList.h"
#include "ui/config/ConfigMessages.h"
#include "ui/config/ConfigSkin.h"
#include "ui/config/EmptySpinBox.h"
#include "ui/config/FilterBoundText.h"
#include "ui/config/JobNameRule.h"
#include "ui/config/LocalFolderMaker.h"
#include "ui/config/SideFolderChooser.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ResourcePictures.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int DialogWidth = 570;
constexpr int DialogHeight = 550;
constexpr QSize PageButtonSize(125, 28);
constexpr QSize ListButtonSize(22, 22);
const QColor ActivePageColour(38, 87, 136);

const QString SizeHint = QStringLiteral("Specify the range of the file size.  B: Byte,KB: kilobyte,MB: megabyte. ");
const QString TimeHint = QStringLiteral("Select file modification time range. Time format: MM-DD-YYYY hh:mm.");

int32_t checkedValue(const QCheckBox *box) { return box->isChecked() ? 1 : 0; }

// Named, not a conditional in place: g++ 12 applies ".*" to a copy of "(c ? a : b)".
template <class Job>
auto &boundsOf(Job &job, bool excluded)
{
    return excluded ? job.ExcludeFilter : job.IncludeFilter;
}

}  // namespace

// A size bound's controls and what they showed for the loaded job.
struct JobEditor::SizeBound {
    QCheckBox *box = nullptr;
    QLineEdit *value = nullptr;
    QComboBox *unit = nullptr;
    QString caption, group;
    int64_t FilterBounds::*field = nullptr;
    bool excluded = true;
    int64_t loaded = -1;
    QString loadedText;
    int loadedUnit = FilterBoundText::UnitB;
};

struct JobEditor::TimeBound {
    QCheckBox *box = nullptr;
    QLineEdit *edit = nullptr;
    QString caption, group;
    int32_t FilterBounds::*field = nullptr;
    bool excluded = true;
    int32_t loaded = -1;
    QString loadedText;
};

struct JobEditor::NameList {
    QTableWidget *table = nullptr;
    QStringList Job::*field = nullptr;
};

JobEditor::JobEditor(const JobList &jobs, QWidget *parent) : SkinnedWindow(parent), m_jobs(jobs)
{
    setObjectName(QStringLiteral("CreatTaskForm"));
    setFixedSize(DialogWidth, DialogHeight);
    ConfigSkin::Background(this, QStringLiteral("CreatTaskBack"));
    ConfigSkin::CloseBox(this);
    ShowTitleInBand();

    // The page buttons sit on the background's page-tab strip.
    const QStringList pageNames{QStringLiteral("General"), QStringLiteral("Filter"), QStringLiteral("Scheduling")};
    for (int i = 0; i < pageNames.size(); ++i) {
        auto *button = new ImageButton(this);
        button->setObjectName(QStringLiteral("PageButton%1").arg(i));
        button->setAccessibleName(pageNames.at(i));
        button->setFixedSize(PageButtonSize);
        button->move(12 + i * (PageButtonSize.width() + 2), 34);
        auto *label = new QLabel(pageNames.at(i), button);
        label->setObjectName(QStringLiteral("PageLabel%1").arg(i));
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(button->rect());
        // A click on the label is a click on its button.
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        connect(button, &ImageControl::clicked, this, [this, i] { ShowPage(i); });
        m_pageButtons.append(button);
        m_pageLabels.append(label);
    }

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(12, 66, 12, 12);
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(buildGeneral());
    m_pages->addWidget(buildFilter());
    m_pages->addWidget(buildScheduling());
    root->addWidget(m_pages, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_okButton = makeButton(QStringLiteral("OkButton"), QStringLiteral("Ok"), ConfigSkin::DialogButtonSize,
                            QStringLiteral("OK"));
    m_applyButton = makeButton(QStringLiteral("ApplyButton"), QStringLiteral("apply"), ConfigSkin::DialogButtonSize,
                               QStringLiteral("Apply"));
    ImageButton *cancel = makeButton(QStringLiteral("CancelButton"), QStringLiteral("Cancel"),
                                     ConfigSkin::DialogButtonSize, QStringLiteral("Cancel"));
    connect(m_okButton, &ImageControl::clicked, this, &JobEditor::okClick);
    connect(m_applyButton, &ImageControl::clicked, this, &JobEditor::applyClick);
    connect(cancel, &ImageControl::clicked, this, &QDialog::reject);
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_applyButton);
    buttons->addWidget(cancel);
    root->addLayout(buttons);

    SetJobIndex(-1);
}

JobEditor::~JobEditor() = default;

ImageButton *JobEditor::makeButton(const QString &objectName, const QString &pictureBase, QSize size,
                                   const QString &accessibleName)
{
    return ConfigSkin::Button(this, objectName, pictureBase, size, accessibleName);
}

QCheckBox *JobEditor::makeCheck(const QString &objectName, const QString &caption)
{
    auto *box = new QCheckBox(caption, this);
    box->setObjectName(objectName);
    return box;
}

QWidget *JobEditor::buildGeneral()
{
    auto *page = new QWidget(this);
    auto *grid = new QGridLayout(page);

    edit_taskname = new QLineEdit(page);
    edit_taskname->setObjectName(QStringLiteral("edit_taskname"));
    edit_taskname->setMaxLength(50);
    grid->addWidget(new QLabel(QStringLiteral("Task Name"), page), 0, 0);
    grid->addWidget(edit_taskname, 0, 1, 1, 2);

    // A side's path is chosen with its Browse button, or typed or pasted (checked at OK).
    auto folderRow = [this, page, grid](int row, const QString &caption, const QString &side, void (JobEditor::*browse)()) {
        auto *edit = new QLineEdit(page);
        edit->setObjectName(QStringLiteral("edit_%1folder").arg(side));
        ImageButton *button = makeButton(QStringLiteral("bt_%1browse").arg(side), QStringLiteral("Browse"),
                                         ConfigSkin::BrowseButtonSize, QStringLiteral("Browse for the ") + caption.toLower());
        connect(button, &ImageControl::clicked, this, browse);
        grid->addWidget(new QLabel(caption, page), row, 0);
        grid->addWidget(edit, row, 1);
        grid->addWidget(button, row, 2);
        return edit;
    };
    edit_lfolder = folderRow(1, QStringLiteral("Left Folder"), QStringLiteral("l"), &JobEditor::browseLeft);
    edit_rfolder = folderRow(2, QStringLiteral("Right Folder"), QStringLiteral("r"), &JobEditor::browseRight);
    edit_lfolder->setPlaceholderText(QStringLiteral("A folder on this computer, for example /home/me/Documents"));
    edit_rfolder->setPlaceholderText(QStringLiteral("A folder, or ftp://, ftps:// or sftp:// + host + folder"));

    rb_sync = new QRadioButton(QStringLiteral("Synchronize"), page);
    rb_sync->setObjectName(QStringLiteral("rb_sync"));
    rb_backup = new QRadioButton(QStringLiteral("Backup"), page);
    rb_backup->setObjectName(QStringLiteral("rb_backup"));
    auto *mode = new QButtonGroup(page);
    mode->addButton(rb_sync);
    mode->addButton(rb_backup);
    connect(rb_backup, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            backupSelected();
    });
    cb_syncdirect = new QComboBox(page);
    cb_syncdirect->setObjectName(QStringLiteral("cb_syncdirect"));
    cb_syncdirect->addItems({QStringLiteral("Left to Right"), QStringLiteral("Right to Left")});

    auto describe = [page](const QString &text) {
        auto *label = new QLabel(text, page);
        label->setWordWrap(true);
        label->setStyleSheet(QStringLiteral("color: grey;"));
        return label;
    };
    auto *direct = new QGroupBox(QStringLiteral("Sync Direction"), page);
    auto *directGrid = new QGridLayout(direct);
    directGrid->addWidget(rb_sync, 0, 0);
    directGrid->addWidget(describe(QStringLiteral(
                              "2-way job: use when files are changed on both sides and Corvane will propagate "
                              "changes both ways, ensuring that files are copied in both directions and keeping "
                              "the two or more locations during synchronization with each other.")),
                          1, 0, 1, 2);
    directGrid->addWidget(rb_backup, 2, 0);
    directGrid->addWidget(cb_syncdirect, 2, 1, Qt::AlignLeft);
    directGrid->addWidget(describe(QStringLiteral(
                              "1-way job: use to copy changed files from the Left side to Backup folder on the "
                              "Right side; it is mostly used for backup purpose.")),
                          3, 0, 1, 2);
    directGrid->setColumnStretch(1, 1);
    grid->addWidget(direct, 3, 0, 1, 3);

    cb_savepv = makeCheck(QStringLiteral("cb_savepv"), QStringLiteral("Save previous versions of replaced files"));
    cb_estimatedisk = makeCheck(QStringLiteral("cb_estimatedisk"),
                                QStringLiteral("Do not create the __FileSync__ folder in either sync folder"));
    cb_prodelete = makeCheck(QStringLiteral("cb_prodelete"), QStringLiteral("Propagate Deletions"));
    cb_userTemp = makeCheck(QStringLiteral("cb_userTemp"), QStringLiteral("Safe Copy using temporary files"));
    cb_prodelete->hide();
    cb_userTemp->hide();
    grid->addWidget(cb_savepv, 4, 0, 1, 3);
    grid->addWidget(cb_estimatedisk, 5, 0, 1, 3);
    grid->setRowStretch(6, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

QWidget *JobEditor::buildFilterGroup(const QString &title, bool excluded)
{
    const QString in = excluded ? QStringLiteral("ex") : QStringLiteral("in");
    auto *group = new QGroupBox(title, this);
    auto *grid = new QGridLayout(group);

    auto *sizeLabel = new QLabel(QStringLiteral("File Size"), group);
    sizeLabel->setToolTip(SizeHint);
    grid->addWidget(sizeLabel, 0, 0, 1, 3);
    const struct {
        QString box, edit, caption;
        int64_t FilterBounds::*field;
    } sizes[] = {
        {QStringLiteral("cb_%1filesizemin").arg(in), QStringLiteral("Edit_%1filesizemin").arg(in),
         QStringLiteral("Size is at least"), &FilterBounds::FileSizeMin},
        // The excluded maximum's box has no "ex" in its name.
        {excluded ? QStringLiteral("cb_filesizemax") : QStringLiteral("cb_infilesizemax"),
         QStringLiteral("Edit_%1filesizemax").arg(in), QStringLiteral("Size is not more than"),
         &FilterBounds::FileSizeMax},
    };
    int row = 1;
    for (const auto &s : sizes) {
        SizeBound b;
        b.box = makeCheck(s.box, s.caption);
        b.box->setToolTip(SizeHint);
        b.value = new QLineEdit(group);
        b.value->setObjectName(s.edit);
        b.value->setMaxLength(4);
        b.value->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), b.value));
        b.value->setFixedWidth(50);
        b.unit = new QComboBox(group);
        b.unit->setObjectName(s.edit + QStringLiteral("_b"));
        b.unit->addItems({QStringLiteral("B"), QStringLiteral("KB"), QStringLiteral("MB")});
        b.caption = s.caption;
        b.group = title.trimmed();
        b.field = s.field;
        b.excluded = excluded;
        QLineEdit *value = b.value;
        QComboBox *unit = b.unit;
        connect(b.box, &QCheckBox::toggled, this, [value, unit](bool on) {
            value->setEnabled(on);
            unit->setEnabled(on);
        });
        value->setEnabled(false);
        unit->setEnabled(false);
        grid->addWidget(b.box, row, 0);
        grid->addWidget(b.value, row, 1);
        grid->addWidget(b.unit, row, 2);
        ++row;
        m_sizes.push_back(b);
    }

    auto *timeLabel = new QLabel(QStringLiteral("File modification time"), group);
    timeLabel->setToolTip(TimeHint);
    grid->addWidget(timeLabel, row++, 0, 1, 3);
    const struct {
        QString box, edit, caption;
        int32_t FilterBounds::*field;
    } times[] = {
        {QStringLiteral("cb_%1filetimemin").arg(in), QStringLiteral("edit_%1filetimemin").arg(in),
         QStringLiteral("modified after "), &FilterBounds::FileTimeMin},
        {QStringLiteral("cb_%1filetimemax").arg(in), QStringLiteral("edit_%1filetimemax").arg(in),
         QStringLiteral("modified before"), &FilterBounds::FileTimeMax},
    };
    for (const auto &t : times) {
        TimeBound b;
        b.box = makeCheck(t.box, t.caption);
        b.box->setToolTip(TimeHint);
        b.edit = new QLineEdit(group);
        b.edit->setObjectName(t.edit);
        b.edit->setInputMask(QStringLiteral("99-99-9999 99:99;_"));
        b.edit->setText(FilterBoundText::InitialTimeText());
        b.edit->setEnabled(false);
        b.caption = t.caption;
        b.group = title.trimmed();
        b.field = t.field;
        b.excluded = excluded;
        QLineEdit *edit = b.edit;
        connect(b.box, &QCheckBox::toggled, edit, &QWidget::setEnabled);
        grid->addWidget(b.box, row, 0);
        grid->addWidget(b.edit, row, 1, 1, 2);
        ++row;
        m_times.push_back(b);
    }

    auto *listLabel = new QLabel(QStringLiteral("File Name Filter"), group);
    if (!excluded)
        listLabel->setToolTip(QStringLiteral(
            "If the list has been done, the files will be synced meeting the two requirements as follows: "
            "matching the included list; mismatching the Excluded list."));
    NameList list;
    list.table = new QTableWidget(1, 2, group);
    list.table->setObjectName(excluded ? QStringLiteral("vedit_exclude") : QStringLiteral("vedit_include"));
    list.table->setHorizontalHeaderLabels({QString(), QStringLiteral("Value")});
    list.table->verticalHeader()->hide();
    list.table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Fixed);
    list.table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    list.table->setColumnWidth(0, 24);
    list.table->setSelectionBehavior(QAbstractItemView::SelectRows);
    list.table->setSelectionMode(QAbstractItemView::SingleSelection);
    list.field = excluded ? &Job::ExcludeFilterr : &Job::IncludeFilterr;
    const size_t listIndex = m_lists.size();
    m_lists.push_back(list);

    ImageButton *add = makeButton(excluded ? QStringLiteral("bt_addexclude") : QStringLiteral("bt_addinclude"),
                                  QStringLiteral("ListAdd"), ListButtonSize, QStringLiteral("Add a name"));
    ImageButton *del = makeButton(excluded ? QStringLiteral("bt_delexclude") : QStringLiteral("bt_delinclude"),
                                  QStringLiteral("ListDelete"), ListButtonSize,
                                  QStringLiteral("Remove the selected name"));
    connect(add, &ImageControl::clicked, this, [this, listIndex] { addRow(m_lists[listIndex]); });
    connect(del, &ImageControl::clicked, this, [this, listIndex] { removeRow(m_lists[listIndex]); });
    auto *listHeader = new QHBoxLayout;
    listHeader->addWidget(listLabel);
    listHeader->addStretch();
    listHeader->addWidget(add);
    listHeader->addWidget(del);
    grid->addLayout(listHeader, 0, 3);
    grid->addWidget(list.table, 1, 3, row - 1, 1);
    grid->setColumnStretch(3, 1);
    return group;
}

QWidget *JobEditor::buildFilter()
{
    auto *page = new QWidget(this);
    auto *box = new QVBoxLayout(page);
    box->addWidget(buildFilterGroup(QStringLiteral(" Excluded"), true));
    box->addWidget(buildFilterGroup(QStringLiteral("Included"), false));
    cb_excludesystem = makeCheck(QStringLiteral("cb_excludesystem"), QStringLiteral("Exclude System files and folders"));
    cb_excludesystem->setToolTip(
        QStringLiteral("The hidden files and folders will be excluded if you have clicked this option."));
    cb_excludehidden = makeCheck(QStringLiteral("cb_excludehidden"), QStringLiteral("Exclude Hidden files and folders"));
    cb_excludehidden->setToolTip(QStringLiteral("All Hidden files and folders will be excluded."));
    cb_excludeempty = makeCheck(QStringLiteral("cb_excludeempty"), QStringLiteral("Exclude empty folders"));
    cb_excludeempty->hide();
    box->addWidget(cb_excludesystem);
    box->addWidget(cb_excludehidden);
    return page;
}

QWidget *JobEditor::buildScheduling()
{
    auto *page = new QWidget(this);
    auto *box = new QVBoxLayout(page);
    auto *group = new QGroupBox(QStringLiteral("Run automatically"), page);
    auto *grid = new QGridLayout(group);
    cb_syncitstart = makeCheck(QStringLiteral("cb_syncitstart"), QStringLiteral("Sync when Corvane starts"));
    cb_anaitstart = makeCheck(QStringLiteral("cb_anaitstart"), QStringLiteral("Analyze when Corvane starts"));
    cb_syncconn = makeCheck(QStringLiteral("cb_syncconn"), QStringLiteral("Sync On Folders Connect"));
    cb_anaconn = makeCheck(QStringLiteral("cb_anaconn"), QStringLiteral("Analyze On Folders Connect"));
    cb_synclogoff = makeCheck(QStringLiteral("cb_synclogoff"), QStringLiteral("PC Shut Down After Syncing"));
    cb_anslogoff = makeCheck(QStringLiteral("cb_anslogoff"), QStringLiteral("PC Shut Down After Analyzing"));
    cb_syncperiod = makeCheck(QStringLiteral("cb_syncperiod"), QStringLiteral("Sync Periodically"));
    cb_anaperiod = makeCheck(QStringLiteral("cb_anaperiod"), QStringLiteral("Analyze Periodically"));
    const QList<QCheckBox *> order{cb_syncitstart, cb_anaitstart, cb_syncconn, cb_anaconn,
                                   cb_synclogoff,  cb_anslogoff,  cb_syncperiod, cb_anaperiod};
    for (int i = 0; i < order.size(); ++i)
        grid->addWidget(order.at(i), i / 2, i % 2);
    connect(cb_syncperiod, &QCheckBox::toggled, this, &JobEditor::syncPeriodToggled);
    connect(cb_anaperiod, &QCheckBox::toggled, this, &JobEditor::anaPeriodToggled);

    edit_hours = new EmptySpinBox(999, group);
    edit_hours->setObjectName(QStringLiteral("edit_hours"));
    edit_minutes = new EmptySpinBox(59, group);
    edit_minutes->setObjectName(QStringLiteral("edit_minutes"));
    auto *every = new QHBoxLayout;
    every->addWidget(new QLabel(QStringLiteral("Every"), group));
    every->addWidget(edit_hours);
    every->addWidget(new QLabel(QStringLiteral("Hours"), group));
    every->addWidget(edit_minutes);
    every->addWidget(new QLabel(QStringLiteral("Minutes"), group));
    every->addStretch();
    grid->addLayout(every, 4, 0, 1, 2);
    box->addWidget(group);
    box->addStretch();
    return page;
}

int JobEditor::CurrentPage() const
{
    return m_pages->currentIndex();
}

void JobEditor::ShowPage(int page)
{
    m_pages->setCurrentIndex(page);
    for (int i = 0; i < m_pageButtons.size(); ++i) {
        const bool active = i == page;
        QPalette p = m_pageLabels.at(i)->palette();
        p.setColor(QPalette::WindowText, active ? ActivePageColour : palette().color(QPalette::WindowText));
        m_pageLabels.at(i)->setPalette(p);
        LoadJpegResource(m_pageButtons.at(i), active ? QStringLiteral("ieb2") : QStringLiteral("ieb1"),
                         QStringLiteral("JPG"));
    }
}

void JobEditor::SetJobIndex(int index)
{
    m_result = false;
    m_jobIndex = index;
    m_job = index >= 0 ? m_jobs.JobAt(index) : nullptr;
    if (!m_job) {
        m_jobIndex = -1;
        m_newJob = std::make_unique<Job>();
        m_newJob->LFolder.DeviceType = 1;
        m_newJob->RFolder.DeviceType = 3;
        m_newJob->ListState = 2;
        m_job = m_newJob.get();
    } else {
        m_newJob.reset();
    }
    const bool isNew = m_jobIndex < 0;
    setWindowTitle(isNew ? QStringLiteral("New job") : QStringLiteral("Job \"%1\"").arg(m_job->SyncName));
    m_okButton->setVisible(isNew);
    m_applyButton->setVisible(!isNew);
    SetDefaultButton(isNew ? m_okButton : m_applyButton);
    edit_taskname->setEnabled(isNew);
    loadJob(*m_job);
    ShowPage(0);
    if (isVisible())
        firstField()->setFocus();
}

QWidget *JobEditor::firstField() const
{
    // The keyboard starts where the user types first (the name of an existing job is fixed).
    return m_jobIndex < 0 ? static_cast<QWidget *>(edit_taskname) : edit_lfolder;
}

void JobEditor::showEvent(QShowEvent *event)
{
    SkinnedWindow::showEvent(event);
    firstField()->setFocus();
}

void JobEditor::loadJob(const Job &job)
{
    const bool isNew = m_jobIndex < 0;
    m_left = job.LFolder;
    m_right = job.RFolder;
    m_loadedLeft = job.LFolder.FolerAllName;
    m_loadedRight = job.RFolder.DeviceType == 1 ? job.RFolder.FolerAllName : QString();
    edit_taskname->setText(job.SyncName);
    edit_lfolder->setText(job.LFolder.FolerAllName);
    edit_rfolder->setText(job.RFolder.FolerAllName);
    cb_syncdirect->setCurrentIndex(-1);
    if (job.SyncDirection != 0) {
        rb_backup->setChecked(true);
        backupSelected();
    } else {
        rb_sync->setChecked(true);
    }
    cb_estimatedisk->setChecked(job.EstimateDiskSpace == 1);
    cb_savepv->setChecked(job.SaveOldFile == 1);
    cb_prodelete->setChecked(job.IsDeleteFile == 1);
    cb_userTemp->setChecked(job.UseTempFile == 1);

    for (NameList &list : m_lists) {
        const QStringList &entries = job.*list.field;
        list.table->setRowCount(qMax<qsizetype>(1, entries.size()));
        for (int i = 0; i < list.table->rowCount(); ++i) {
            auto *key = new QTableWidgetItem(QString::number(i));
            key->setFlags(key->flags() & ~Qt::ItemIsEditable);
            list.table->setItem(i, 0, key);
            list.table->setItem(i, 1, new QTableWidgetItem(i < entries.size() ? entries.at(i) : QString()));
        }
    }
    for (SizeBound &b : m_sizes) {
        b.loaded = boundsOf(job, b.excluded).*b.field;
        if (b.loaded == -1) {
            b.box->setChecked(false);
            b.value->clear();
            b.unit->setCurrentIndex(FilterBoundText::UnitB);
        } else {
            const FilterBoundText::SizeShown shown = FilterBoundText::ShowSize(b.loaded);
            b.box->setChecked(true);
            b.value->setText(shown.value);
            b.unit->setCurrentIndex(shown.unit);
        }
        b.loadedText = b.value->text();
        b.loadedUnit = b.unit->currentIndex();
    }
    for (TimeBound &b : m_times) {
        b.loaded = boundsOf(job, b.excluded).*b.field;
        b.box->setChecked(b.loaded != -1);
        b.edit->setText(b.loaded == -1 ? FilterBoundText::InitialTimeText() : FilterBoundText::ShowTime(b.loaded));
        b.loadedText = b.edit->text();
    }
    cb_excludeempty->setChecked(job.ExcludeEmtpyFolder == 1);
    cb_excludesystem->setChecked(job.ExcludeSystemFile == 1);
    cb_excludehidden->setChecked(job.ExcludeHiddenFile == 1);

    cb_syncitstart->setChecked(job.StartSync == 1);
    cb_anaitstart->setChecked(job.StartAnalyze == 1);
    cb_syncconn->setChecked(job.ConnectSync == 1);
    cb_anaconn->setChecked(job.ConnectAnalyze == 1);
    cb_synclogoff->setChecked(job.LogoffSync == 1);
    cb_anslogoff->setChecked(job.LogoffAnalyze == 1);
    cb_syncperiod->setChecked(job.PeriodSync == 1);
    cb_anaperiod->setChecked(job.PeriodAnalyze == 1);
    edit_hours->setValue(2);
    edit_minutes->setValue(0);
    if (!isNew && job.Hours != -1)
        edit_hours->setValue(job.Hours);
    if (!isNew && job.minutes != -1)
        edit_minutes->setValue(job.minutes);
    edit_hours->setEnabled(cb_anaperiod->isChecked());
    edit_minutes->setEnabled(cb_anaperiod->isChecked());
    m_loadedHours = isNew ? std::nullopt : std::optional<QString>(edit_hours->text());
    m_loadedMinutes = isNew ? std::nullopt : std::optional<QString>(edit_minutes->text());
}

void JobEditor::backupSelected()
{
    cb_syncdirect->setCurrentIndex(m_job && m_job->SyncDirection == 2 ? 1 : 0);
}

void JobEditor::syncPeriodToggled(bool checked)
{
    if (checked)
        cb_anaperiod->setChecked(true);
    cb_anaperiod->setEnabled(!checked);
}

void JobEditor::anaPeriodToggled(bool checked)
{
    edit_hours->setEnabled(checked);
    edit_minutes->setEnabled(checked);
    if (!checked) {
        edit_hours->setValue(0);
        edit_minutes->setValue(0);
    }
}

void JobEditor::addRow(NameList &list)
{
    const int row = list.table->rowCount();
    list.table->insertRow(row);
    auto *key = new QTableWidgetItem(QString::number(row));
    key->setFlags(key->flags() & ~Qt::ItemIsEditable);
    list.table->setItem(row, 0, key);
    list.table->setItem(row, 1, new QTableWidgetItem);
    list.table->setCurrentCell(row, 1);
    list.table->editItem(list.table->item(row, 1));
}

void JobEditor::removeRow(NameList &list)
{
    const int row = list.table->currentRow();
    if (row < 0)
        return;
    list.table->removeRow(row);
    // A list keeps one row to type into.
    if (list.table->rowCount() == 0) {
        addRow(list);
        return;
    }
    for (int i = row; i < list.table->rowCount(); ++i)
        list.table->item(i, 0)->setText(QString::number(i));
}

void JobEditor::takeTypedFolders()
{
    const QString left = edit_lfolder->text().trimmed();
    if (left != m_left.FolerAllName)
        m_left.FolerAllName = QDir::fromNativeSeparators(left);
    const QString right = edit_rfolder->text().trimmed();
    if (right == m_right.FolerAllName)
        return;
    // The text says the kind: an address with a scheme, or a path from the root, is taken as
    // such; anything else keeps the side's kind ("ftp.example.com/pub" on an FTP side).
    const bool ftp = right.contains(QLatin1String("://"))
                     || (m_right.DeviceType == 3 && !right.startsWith(QLatin1Char('/')) && !right.isEmpty());
    const RemoteAddress::Scheme scheme =
        m_right.DeviceType == 3 ? RemoteAddress::Parse(m_right.FolerAllName).scheme : RemoteAddress::Scheme::Ftp;
    m_right.DeviceType = ftp ? 3 : 1;
    m_right.FolerAllName = ftp ? RemoteAddress::Normalize(right, scheme) : QDir::fromNativeSeparators(right);
    edit_rfolder->setText(m_right.FolerAllName);
}

bool JobEditor::ensureLocalFolders()
{
    takeTypedFolders();
    // A folder the job had already is not questioned: a drive that is away is no reason to
    // make an empty folder in its place.
    const auto newlyMissing = [](const JobSide &side, const QString &loaded) {
        return side.DeviceType == 1 && !side.FolerAllName.isEmpty() && side.FolerAllName != loaded;
    };
    if (newlyMissing(m_left, m_loadedLeft)
        && !EnsureLocalFolder(this, m_left.FolerAllName, QStringLiteral("The left folder"))) {
        ShowPage(0);
        edit_lfolder->setFocus();
        return false;
    }
    if (newlyMissing(m_right, m_loadedRight)
        && !EnsureLocalFolder(this, m_right.FolerAllName, QStringLiteral("The right folder"))) {
        ShowPage(0);
        edit_rfolder->setFocus();
        return false;
    }
    return true;
}

void JobEditor::browseLeft()
{
    takeTypedFolders();
    if (m_left.DeviceType != 1)
        return;
    if (ChooseSideFolder(this, m_left, 1))
        edit_lfolder->setText(m_left.FolerAllName);
}

void JobEditor::browseRight()
{
    takeTypedFolders();
    // The right side may be a local folder or a remote one of three transports: the user
    // picks the kind, and a remote kind is the scheme of the address.
    using Scheme = RemoteAddress::Scheme;
    const bool remote = m_right.DeviceType == 3;
    const Scheme current = RemoteAddress::Parse(m_right.FolerAllName).scheme;
    QMenu kinds(this);
    kinds.setObjectName(QStringLiteral("RightKindMenu"));
    QAction *local = kinds.addAction(QStringLiteral("Local folder"));
    QAction *ftp = kinds.addAction(QStringLiteral("FTP folder"));
    QAction *ftps = kinds.addAction(QStringLiteral("FTP over TLS folder"));
    QAction *sftp = kinds.addAction(QStringLiteral("SFTP folder"));
    const std::pair<QAction *, Scheme> schemes[] = {{ftp, Scheme::Ftp}, {ftps, Scheme::Ftps}, {sftp, Scheme::Sftp}};
    local->setCheckable(true);
    local->setChecked(m_right.DeviceType == 1);
    if (m_right.DeviceType == 1)
        kinds.setActiveAction(local);
    for (const auto &[action, scheme] : schemes) {
        action->setCheckable(true);
        action->setChecked(remote && current == scheme);
        if (remote && current == scheme)
            kinds.setActiveAction(action);
    }
    const QWidget *button = findChild<QWidget *>(QStringLiteral("bt_rbrowse"));
    const QPoint at = button->mapToGlobal(QPoint(0, button->height()));
    QAction *picked = kinds.exec(at, kinds.activeAction());
    if (!picked)
        return;
    JobSide side = m_right;
    for (const auto &[action, scheme] : schemes) {
        if (action != picked)
            continue;
        // The host and path stay when only the transport changes.
        const QString address = remote ? side.FolerAllName.mid(side.FolerAllName.indexOf(QLatin1String("://")) + 3) : QString();
        side.FolerAllName = RemoteAddress::SchemeName(scheme) + QStringLiteral("://") + address;
    }
    if (ChooseSideFolder(this, side, picked == local ? 1 : 3)) {
        m_right = side;
        edit_rfolder->setText(m_right.FolerAllName);
    }
}

std::optional<QString> JobEditor::checkFields()
{
    for (const SizeBound &b : m_sizes) {
        const QString text = b.value->text().trimmed();
        if (!b.box->isChecked() || text.isEmpty() || FilterBoundText::SizeFromText(text, b.unit->currentIndex()))
            continue;
        ShowPage(1);
        b.value->setFocus();
        return QStringLiteral("\"%1\" is not a whole number (%2, %3).").arg(b.value->text(), b.group, b.caption.trimmed());
    }
    for (const TimeBound &b : m_times) {
        if (!b.box->isChecked() || b.edit->text() == b.loadedText || FilterBoundText::TimeFromText(b.edit->text()))
            continue;
        ShowPage(1);
        b.edit->setFocus();
        return QStringLiteral("\"%1\" is not a date and time of the form MM-DD-YYYY hh:mm (%2, %3).")
            .arg(b.edit->text(), b.group, b.caption.trimmed());
    }
    return std::nullopt;
}

void JobEditor::readBack(Job &job) const
{
    job.SyncName = edit_taskname->text();
    job.LFolder = m_left;
    job.RFolder = m_right;
    job.SyncDirection = rb_sync->isChecked() ? 0 : (cb_syncdirect->currentIndex() == 1 ? 2 : 1);
    job.EstimateDiskSpace = checkedValue(cb_estimatedisk);
    job.SaveOldFile = checkedValue(cb_savepv);
    job.IsDeleteFile = checkedValue(cb_prodelete);
    job.UseTempFile = checkedValue(cb_userTemp);
    for (const NameList &list : m_lists) {
        QStringList &entries = job.*list.field;
        entries.clear();
        for (int i = 0; i < list.table->rowCount(); ++i) {
            const QTableWidgetItem *item = list.table->item(i, 1);
            if (item && !item->text().trimmed().isEmpty())
                entries.append(item->text());
        }
    }
    for (const SizeBound &b : m_sizes) {
        int64_t &field = boundsOf(job, b.excluded).*b.field;
        const QString text = b.value->text().trimmed();
        if (!b.box->isChecked())
            field = -1;
        else if (text.isEmpty())
            continue;  // a checked box without a value keeps the bound
        else if (b.loaded != -1 && b.value->text() == b.loadedText && b.unit->currentIndex() == b.loadedUnit)
            field = b.loaded;  // shown rounded; untouched, it keeps its exact value
        else
            field = *FilterBoundText::SizeFromText(text, b.unit->currentIndex());
    }
    for (const TimeBound &b : m_times) {
        int32_t &field = boundsOf(job, b.excluded).*b.field;
        if (!b.box->isChecked())
            field = -1;
        else if (b.loaded != -1 && b.edit->text() == b.loadedText)
            field = b.loaded;  // seconds and undecodable values are not shown
        else
            field = *FilterBoundText::TimeFromText(b.edit->text());
    }
    job.ExcludeEmtpyFolder = checkedValue(cb_excludeempty);
    job.ExcludeSystemFile = checkedValue(cb_excludesystem);
    job.ExcludeHiddenFile = checkedValue(cb_excludehidden);
    job.StartSync = checkedValue(cb_syncitstart);
    job.StartAnalyze = checkedValue(cb_anaitstart);
    job.ConnectSync = checkedValue(cb_syncconn);
    job.ConnectAnalyze = checkedValue(cb_anaconn);
    job.LogoffSync = checkedValue(cb_synclogoff);
    job.LogoffAnalyze = checkedValue(cb_anslogoff);
    job.PeriodSync = checkedValue(cb_syncperiod);
    job.PeriodAnalyze = checkedValue(cb_anaperiod);
    // An edit showing what it showed for the loaded job keeps the field (-1 shows as 2 and 0).
    if (edit_hours->text() != m_loadedHours)
        job.Hours = edit_hours->value();
    if (edit_minutes->text() != m_loadedMinutes)
        job.minutes = edit_minutes->value();
}

bool JobEditor::refuseWhileRunning()
{
    if (m_jobIndex < 0 || !m_runInProgress || !m_runInProgress())
        return false;
    ConfigMessages::Inform(this, ConfigMessages::JobRunning());
    return true;
}

int JobEditor::exec()
{
    if (refuseWhileRunning())
        return QDialog::Rejected;
    return QDialog::exec();
}

void JobEditor::okClick()
{
    const QString name = edit_taskname->text();
    if (m_jobs.JobNameExists(name.trimmed())) {
        ConfigMessages::Inform(this, QStringLiteral("A job of that name exists; give the new job another name."));
        ShowPage(0);
        edit_taskname->setFocus();
        return;
    }
    if (name.isEmpty()) {
        ConfigMessages::Inform(this, QStringLiteral("Type a name for the job; it becomes the name of its tab."));
        ShowPage(0);
        edit_taskname->setFocus();
        return;
    }
    if (!IsAcceptableJobName(name)) {
        ConfigMessages::Inform(this, JobNameRefusedMessage());
        ShowPage(0);
        edit_taskname->setFocus();
        return;
    }
    if (const std::optional<QString> problem = checkFields()) {
        ConfigMessages::Inform(this, *problem);
        return;
    }
    if (!ensureLocalFolders())
        return;
    readBack(*m_newJob);
    m_result = true;
    accept();
}

std::unique_ptr<Job> JobEditor::TakeNewJob()
{
    if (!m_result || m_jobIndex >= 0)
        return nullptr;
    m_job = nullptr;
    return std::move(m_newJob);
}

void JobEditor::applyClick()
{
    // A period tick or a start-up option may have started a run since the dialog opened.
    if (refuseWhileRunning())
        return;
    if (const std::optional<QString> problem = checkFields()) {
        ConfigMessages::Inform(this, *problem);
        return;
    }
    if (!ensureLocalFolders())
        return;
    readBack(*m_job);
    m_result = true;
    accept();
}
