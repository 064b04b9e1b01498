#include "ui/workspace/ItemCommands.h"

#include "app/DosDateTime.h"
#include "engine/SidePaths.h"
#include "engine/SyncAction.h"
#include "folders/FileEntry.h"
#include "folders/FtpFolder.h"
#include "folders/KeepAside.h"
#include "folders/LocalCopy.h"
#include "folders/LocalFolder.h"
#include "folders/Side.h"
#include "model/Job.h"
#include "platform/gui/Shell.h"
#include "ui/config/SideFolderChooser.h"
#include "ui/workspace/ResultModel.h"
#include "ui/workspace/ResultView.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>

using namespace SidePaths;

namespace {

const QString Caption = QStringLiteral("Corvane");

struct MenuItem {
    const char *Name;
    const char *Text;  // nullptr: separator
    void (ItemCommands::*Handler)();
};

const MenuItem Items[ItemCommands::ItemCount] = {
    {"CopyTimeLtoR1", "Open Left File", &ItemCommands::CopyTimeLtoR1Click},
    {"LeftToRight1", "Open Right File", &ItemCommands::LeftToRight1Click},
    {"DonotCopy1", "Open Left Folder", &ItemCommands::DonotCopy1Click},
    {"N1", "Open Right Folder", &ItemCommands::N1Click},
    {"OpenLeftFile1", nullptr, nullptr},
    {"OpenLeftFolder1", "Delete Left File", &ItemCommands::OpenLeftFolder1Click},
    {"OpenRightFile1", "Delete Right File", &ItemCommands::OpenRightFile1Click},
    {"N2", nullptr, nullptr},
    {"N3", "Restore the left file", &ItemCommands::N3Click},
    {"N4", "Restore the right file", &ItemCommands::N4Click},
    {"N5", "Open the previous file of left", &ItemCommands::N5Click},
    {"N6", "Open the previous file of right", &ItemCommands::N6Click},
    {"N7", nullptr, nullptr},
    {"CopyToLeft1", "Copy to the Left", &ItemCommands::CopyToLeftClick},
    {"CopyToRight1", "Copy to the Right", &ItemCommands::CopyToRightClick},
    {"DontCopy1", "Don't Copy", &ItemCommands::DontCopyClick},
    {"N8", nullptr, nullptr},
    {"BackToProposal1", "Back to the Proposal", &ItemCommands::BackToProposalClick},
    {"UndoDirections1", "Undo the Last Change of Directions", &ItemCommands::UndoDirectionsClick},
    {"SyncSelected1", "Sync Selected", &ItemCommands::SyncSelectedClick},
};

// The part of path after the first occurrence of base (all of it when base is empty).
QString RestAfter(const QString &path, const QString &base)
{
    const qsizetype at = path.indexOf(base);
    return at < 0 ? QString() : path.mid(at + base.size());
}

QString FolderOf(const QString &path)
{
    return path.left(path.lastIndexOf(QLatin1Char('/')));
}

}  // namespace

ItemCommands::ItemCommands(ResultModel &model, ResultView &tree, QWidget *dialogParent, LogLine log,
                             RunsInProgress runsInProgress)
    : QObject(dialogParent), m_model(model), m_tree(tree), m_dialogParent(dialogParent), m_log(std::move(log)),
      m_runsInProgress(std::move(runsInProgress)), m_open(&Shell::open), m_menu(new QMenu(dialogParent))
{
    m_menu->setObjectName(QStringLiteral("pop_direction"));
    for (const MenuItem &item : Items) {
        QAction *action = item.Text ? m_menu->addAction(QString::fromLatin1(item.Text)) : m_menu->addSeparator();
        action->setObjectName(QString::fromLatin1(item.Name));
        if (item.Handler)
            connect(action, &QAction::triggered, this, item.Handler);
    }
    for (Item item : {RestoreLeftFile, RestoreRightFile, OpenPreviousLeft, OpenPreviousRight})
        Action(item)->setEnabled(false);
    // Arrows with Ctrl, as the arrows of the image columns; Space as a check box toggles.
    const std::pair<Item, QList<QKeySequence>> keys[] = {
        {CopyToLeft, {QKeySequence(Qt::CTRL | Qt::Key_Left)}},
        {CopyToRight, {QKeySequence(Qt::CTRL | Qt::Key_Right)}},
        {DontCopy, {QKeySequence(Qt::Key_Space)}},
        // Backspace takes the rows back to what the analysis said; Shift+F6 is Sync (F6) for a part.
        {BackToProposal, {QKeySequence(Qt::Key_Backspace)}},
        {UndoDirections, {QKeySequence::Undo}},
        {SyncSelected, {QKeySequence(Qt::SHIFT | Qt::Key_F6)}},
    };
    for (const auto &[item, sequences] : keys) {
        QAction *action = Action(item);
        action->setShortcuts(sequences);
        action->setShortcutContext(Qt::WidgetShortcut);
        m_tree.addAction(action);
    }
    // A disabled action takes no keys: the menu's enabling holds only while it is open.
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        for (Item item : {CopyToLeft, CopyToRight, DontCopy, BackToProposal, UndoDirections, SyncSelected})
            Action(item)->setEnabled(true);
    });
}

bool ItemCommands::CanSetDirection() const
{
    return m_tree.ClicksAllowed() && !m_runsInProgress() && m_model.HasRows() && m_tree.selectionModel()
        && m_tree.selectionModel()->hasSelection();
}

void ItemCommands::SetDirection(Item item)
{
    if (!CanSetDirection())
        return;
    const int click = item == CopyToLeft    ? ResultModel::ClickOf(ResultModel::ColLeftImage)
                      : item == CopyToRight ? ResultModel::ClickOf(ResultModel::ColRightImage)
                                            : ResultModel::ClickDontMove;
    m_model.ApplyToRows(m_tree.selectionModel()->selection(), click);
}

void ItemCommands::BackToProposalClick()
{
    if (CanSetDirection())
        m_model.ApplyToRows(m_tree.selectionModel()->selection(), ResultModel::ClickProposal);
}

void ItemCommands::UndoDirectionsClick()
{
    if (m_tree.ClicksAllowed() && !m_runsInProgress())
        m_model.UndoDirections();
}

void ItemCommands::SyncSelectedClick()
{
    if (CanSetDirection() && m_canSync && m_canSync())
        Q_EMIT SyncSelectedRequested();
}

void ItemCommands::CopyToLeftClick() { SetDirection(CopyToLeft); }
void ItemCommands::CopyToRightClick() { SetDirection(CopyToRight); }
void ItemCommands::DontCopyClick() { SetDirection(DontCopy); }

QAction *ItemCommands::Action(Item item) const
{
    return m_menu->actions().value(item);
}

QModelIndex ItemCommands::Selected() const
{
    const QModelIndexList rows = m_tree.SelectedRowIndexes();
    return rows.isEmpty() ? QModelIndex() : rows.first();
}

bool ItemCommands::RightIsLocal() const
{
    return m_job && m_job->RFolder.DeviceType == DeviceLocal;
}

QString ItemCommands::LeftSavedPathFor(const RowRecord &row) const
{
    const QString base = LocalBase(m_job->LFolder);
    return base + QStringLiteral("/__Save__") + RestAfter(row.LeftPath, base);
}

QString ItemCommands::RightSavedPathFor(const RowRecord &row) const
{
    return SaveFolder(m_programFolder, *m_job) + RestAfter(row.RightPath, SideBase(m_job->RFolder));
}

bool ItemCommands::PrepareMenu()
{
    const QModelIndex index = Selected();
    if (!m_job || !index.isValid() || !m_model.HasRows())
        return false;
    const RowRecord row = m_model.Record(index);
    bool enabled[ItemCount] = {};
    // The right-side commands share the FTP session and the rows with the engine: while any
    // run is in progress every command waits.
    if (row.Kind == 0 && !m_runsInProgress()) {
        const bool left = row.Action != saRightOnly;
        const bool right = row.Action != saLeftOnly;
        enabled[OpenLeftFile] = enabled[OpenLeftFolder] = enabled[DeleteLeftFile] = left;
        enabled[OpenRightFile] = enabled[DeleteRightFile] = right;
        enabled[OpenRightFolder] = right;
        if (left && right) {
            if (!row.LeftPath.isEmpty()) {
                LeftSavedPath = LeftSavedPathFor(row);
                enabled[RestoreLeftFile] = enabled[OpenPreviousLeft] = QFileInfo(LeftSavedPath).isFile();
            }
            if (!row.RightPath.isEmpty()) {
                RightSavedPath = RightSavedPathFor(row);
                enabled[RestoreRightFile] = enabled[OpenPreviousRight] = QFileInfo(RightSavedPath).isFile();
            }
        }
    }
    enabled[CopyToLeft] = enabled[CopyToRight] = enabled[DontCopy] = enabled[BackToProposal] = CanSetDirection();
    enabled[UndoDirections] = m_tree.ClicksAllowed() && !m_runsInProgress() && m_model.CanUndo();
    enabled[SyncSelected] = CanSetDirection() && m_canSync && m_canSync();
    for (int i = 0; i < ItemCount; ++i)
        if (Items[i].Text)
            Action(Item(i))->setEnabled(enabled[i]);
    return true;
}

void ItemCommands::Popup(const QPoint &globalPos)
{
    if (PrepareMenu())
        m_menu->popup(globalPos);
}

bool ItemCommands::Allowed()
{
    if (!m_runsInProgress())
        return true;
    QMessageBox::information(m_dialogParent, Caption,
                             QStringLiteral("A run is in progress. Try again when it has ended."));
    return false;
}

bool ItemCommands::Confirm(const QString &text)
{
    return QMessageBox::question(m_dialogParent, Caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No)
        == QMessageBox::Yes;
}

void ItemCommands::DeleteFailed(const QString &path)
{
    QMessageBox::warning(m_dialogParent, Caption, QStringLiteral("Deleting the file ") + path + QStringLiteral(" failed!"),
                         QMessageBox::Ok | QMessageBox::Cancel);
}

void ItemCommands::CopyTimeLtoR1Click()
{
    m_open(m_model.Record(Selected()).LeftPath);
}

void ItemCommands::LeftToRight1Click()
{
    const RowRecord row = m_model.Record(Selected());
    if (RightIsLocal()) {
        m_open(row.RightPath);
        return;
    }
    if (!Allowed())
        return;
    const QString folder = m_programFolder + QStringLiteral("temp/");
    QDir().mkpath(folder);
    const QString copy = folder + row.Name;
    if (FtpFolder::FetchFile(row.RightPath, copy, m_job->RFolder))
        m_open(copy);
    else
        m_log(QStringLiteral("File reading error!"));
}

void ItemCommands::DonotCopy1Click()
{
    m_open(FolderOf(m_model.Record(Selected()).LeftPath));
}

void ItemCommands::N1Click()
{
    const QString folder = FolderOf(m_model.Record(Selected()).RightPath);
    if (RightIsLocal()) {
        m_open(folder);
        return;
    }
    if (Allowed())
        ShowRemoteFolder(m_dialogParent, folder, m_job->RFolder);
}

void ItemCommands::DeleteCopy(bool left)
{
    const QModelIndex index = Selected();
    const RowRecord before = m_model.Record(index);
    const QString path = left ? before.LeftPath : before.RightPath;
    if (!Confirm(QStringLiteral("Do you really want to delete the file ") + path + QStringLiteral(" ?")) || !Allowed())
        return;
    const bool local = left || RightIsLocal();
    if (!(local ? QFile::remove(path) : FtpFolder::DeleteFtpFile(path, m_job->RFolder))) {
        DeleteFailed(path);
        return;
    }
    // The row keeps its direction, and now offers what the other copy allows.
    m_model.UpdateRecord(index, [left](RowRecord &row) {
        (left ? row.LeftSize : row.RightSize) = 0;
        (left ? row.LeftTime : row.RightTime) = 0;
        (left ? row.LeftAttr : row.RightAttr) = 0;
        (left ? row.LeftPath : row.RightPath).clear();
        row.Action = left ? saRightOnly : saLeftOnly;
        row.LeftImage = left ? RowImage::MoveLeft : RowImage::CantMove;
        row.RightImage = left ? RowImage::CantMove : RowImage::MoveRight;
        row.DirectImage = RowImage::CanMove;
    });
}

void ItemCommands::OpenLeftFolder1Click()
{
    DeleteCopy(true);
}

void ItemCommands::OpenRightFile1Click()
{
    DeleteCopy(false);
}

void ItemCommands::N3Click()
{
    const QModelIndex index = Selected();
    const QString path = m_model.Record(index).LeftPath;
    if (!Confirm(QStringLiteral("Do you still want to restore this file?")) || !Allowed())
        return;
    // Renames only: the user's file is at every moment either whole at its place or whole
    // aside, never half-written.
    const QString aside = KeepAside::FreeLocalName(path);
    QFile::rename(path, aside);
    if (!QFile::rename(LeftSavedPath, path)) {
        QFile::rename(aside, path);
        m_log(QStringLiteral("Restoring the left file failed!"));
        return;
    }
    QFile::remove(aside);
    m_log(QStringLiteral("Restoring the left file succeeded!"));
    if (!QFileInfo::exists(path))
        return;
    const QString base = LocalBase(m_job->LFolder);
    FileEntry scratch;
    LocalFolder::RecordFile(path, base, scratch);
    const FileEntry *restored = LocalFolder::FindStateEntry(RelativeTo(path, base), scratch);
    m_model.UpdateRecord(index, [restored](RowRecord &row) {
        row.Action = saUpdateRight;
        row.DirectImage = RowImage::CanMove;
        row.LeftImage = RowImage::MoveLeft;
        row.RightImage = RowImage::CanMoveRight;
        row.LeftTime = restored->FileTime;
        row.LeftSize = restored->FileSize;
        row.LeftAttr = restored->FileAttr;
    });
}

void ItemCommands::N4Click()
{
    const QModelIndex index = Selected();
    if (!Confirm(QStringLiteral("Do you still want to restore this file?")) || !Allowed())
        return;
    RowRecord row = m_model.Record(index);
    bool restored;
    if (RightIsLocal()) {
        // The saved content goes to a new name first and is renamed into place, so the right
        // file is never half-written; a failure puts the previous copy back.
        const QString fresh = KeepAside::FreeLocalName(row.RightPath + QStringLiteral(".restore"));
        const QString aside = KeepAside::FreeLocalName(row.RightPath);
        restored = LocalCopy::CopyContent(RightSavedPath, fresh) && QFile::rename(row.RightPath, aside);
        if (restored && !QFile::rename(fresh, row.RightPath)) {
            QFile::rename(aside, row.RightPath);
            restored = false;
        }
        QFile::remove(restored ? aside : fresh);
        if (restored) {
            const QFileInfo file(row.RightPath);
            RowValues::MarkRightRestored(row, DosDateTime::FromEpochSeconds(file.lastModified().toSecsSinceEpoch()),
                                         file.size());
            QFile::remove(RightSavedPath);
        }
    } else {
        SideEntry onServer;
        restored = FtpFolder::RestoreFile(RightSavedPath, row.RightPath, m_job->RFolder, onServer);
        if (onServer.Type == SideEntry::File)
            RowValues::MarkRightRestored(row, onServer.FileTime, onServer.FileSize);
    }
    if (restored)
        m_model.UpdateRecord(index, [&row](RowRecord &record) { record = row; });
    m_log(restored ? QStringLiteral("Restoring the right file succeeded!")
                   : QStringLiteral("Restoring the right file failed!"));
}

void ItemCommands::N5Click()
{
    m_open(LeftSavedPath);
}

void ItemCommands::N6Click()
{
    m_open(RightSavedPath);
}
