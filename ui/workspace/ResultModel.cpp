#include "ui/workspace/ResultModel.h"

#include "app/DosDateTime.h"
#include "engine/Row.h"
#include "engine/RowReason.h"
#include "engine/RowTree.h"
#include "engine/SyncAction.h"
#include "ui/workspace/IconCache.h"

#include <QBrush>
#include <QColor>
#include <QLocale>
#include <QTimer>

#include <algorithm>
#include <unordered_set>

namespace {

constexpr int ClickLeft = 1;
constexpr int ClickDirect = 2;
constexpr int ClickRight = 3;
constexpr int DirectionToLeft = 1;
constexpr int DirectionToRight = 2;
// Beyond this many folders with changed rows, the whole view is repainted at once.
constexpr size_t ManyFolders = 32;
// Repaints of rows the synchronisation copied are gathered for this long.
constexpr int RepaintBatchMs = 50;

struct ColumnInfo {
    const char *Header;
    int Width;
    const char *Hint;
};

const ColumnInfo Columns[ResultModel::ColumnCount] = {
    {"Item", 240, "All items from the left folders and the right folders will be listed here."},
    {"L Date", 115,
     "The created time of the file located at the left folders, if the file doesn't exist in the left folders, "
     "it will be displayed as \" not seen before\"."},
    {"L Size", 70,
     "The size of files in the left folders, if the file doesn't exist in the left folders, it will be "
     "displayed as \" not present\"."},
    {"RtoL Count", 50,
     "The numbers of file in every left folder, which will be synced from the right folders to the left "
     "folders."},
    // The image columns are narrow: one letter each, the rest in the hint.
    {"L", 20, "Click the left image of a row to copy the file to the left (Ctrl+Left)."},
    {"=", 20, "Click the middle image of a row to leave the file as it is (Space), or again for the proposal."},
    {"R", 20, "Click the right image of a row to copy the file to the right (Ctrl+Right)."},
    {"LtoR Count", 50,
     "The numbers of file included in every right folder, which will be synced from the left folders to the "
     "right Folders."},
    {"R Date", 115,
     "The created time of the file located at the right folders, if the file doesn't exist in the right "
     "folders, it will be displayed as \" not seen before\"."},
    {"R Size", 70,
     "The size of files in the right folders, if the file doesn't exist in the right folders, it will be "
     "displayed as \" not present\"."},
};

// The click rules of one file row; false when the row is left as it was.
bool ApplyClick(RowRecord &row, int click)
{
    if (row.Action == saSame)
        return false;
    switch (click) {
    case ClickLeft:
        if (row.Action == saLeftOnly)
            return false;
        row.Direction = DirectionToLeft;
        row.LeftImage = RowImage::MoveLeft;
        if (row.Action != saRightOnly)
            row.RightImage = RowImage::CanMoveRight;
        return true;
    case ClickRight:
        if (row.Action == saRightOnly)
            return false;
        row.Direction = DirectionToRight;
        row.RightImage = RowImage::MoveRight;
        if (row.Action != saLeftOnly)
            row.LeftImage = RowImage::CanMoveLeft;
        return true;
    case ClickDirect:
        if (row.Direction == DirectionToLeft || row.Direction == DirectionToRight)
            return ApplyClick(row, ResultModel::ClickDontMove);
        RowValues::ApplyProposal(row, row.Action);
        return true;
    case ResultModel::ClickProposal: {
        const RowRecord before = row;
        RowValues::ApplyProposal(row, row.Action);
        return row.Direction != before.Direction || row.LeftImage != before.LeftImage
            || row.RightImage != before.RightImage || row.DirectImage != before.DirectImage;
    }
    case ResultModel::ClickDontMove:
        if (row.Direction == 0 && row.DirectImage == RowImage::DontMove)
            return false;
        row.Direction = 0;
        row.LeftImage = RowImage::None;
        row.RightImage = RowImage::None;
        row.DirectImage = RowImage::DontMove;
        return true;
    default:
        return false;
    }
}

int ImageField(const RowRecord &row, int column)
{
    switch (column) {
    case ResultModel::ColItem: return row.IconIndex;
    case ResultModel::ColLeftImage: return row.LeftImage;
    case ResultModel::ColDirectImage: return row.DirectImage;
    case ResultModel::ColRightImage: return row.RightImage;
    default: return -1;
    }
}

QString CountText(int32_t count)
{
    return count == 0 ? QString() : QString::number(count);
}

const QString NotSeenBefore = QStringLiteral("not seen before");
const QString NotPresent = QStringLiteral("not present");
const QString FolderText = QStringLiteral("folder");

// Folders first, then by the column's value; ties, and columns without a value for the row,
// by name as a file manager orders names: letters case-insensitive, numbers by value.
class RowOrder {
public:
    RowOrder(int column, Qt::SortOrder order) : m_column(column), m_order(order) {}

    // Runs of digits compare by value ("2" before "10"), the rest without regard to case. Not
    // QCollator: its numeric mode is missing in the C locale, where the program may run.
    static int CompareNames(const QString &a, const QString &b)
    {
        qsizetype i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            if (a[i].isDigit() && b[j].isDigit()) {
                qsizetype ei = i, ej = j;
                while (ei < a.size() && a[ei].isDigit())
                    ++ei;
                while (ej < b.size() && b[ej].isDigit())
                    ++ej;
                QStringView da = QStringView(a).mid(i, ei - i), db = QStringView(b).mid(j, ej - j);
                while (da.size() > 1 && da.front() == u'0')
                    da = da.mid(1);
                while (db.size() > 1 && db.front() == u'0')
                    db = db.mid(1);
                if (da.size() != db.size())
                    return da.size() < db.size() ? -1 : 1;
                if (const int c = da.compare(db))
                    return c;
                i = ei;
                j = ej;
                continue;
            }
            if (const int c = QString::compare(QString(a[i]), QString(b[j]), Qt::CaseInsensitive))
                return c;
            ++i;
            ++j;
        }
        if (i < a.size() || j < b.size())
            return i < a.size() ? 1 : -1;
        return QString::compare(a, b);  // equal but for case: a stable, fixed order
    }

    void SortBelow(Row &row) const
    {
        std::stable_sort(row.Children.begin(), row.Children.end(),
                         [this](const std::unique_ptr<Row> &a, const std::unique_ptr<Row> &b) {
                             return Before(a->Data, b->Data);
                         });
        for (size_t i = 0; i < row.Children.size(); ++i) {
            row.Children[i]->IndexInParent = int(i);
            SortBelow(*row.Children[i]);
        }
    }

private:
    bool Before(const RowRecord &a, const RowRecord &b) const
    {
        if (a.Kind != b.Kind)
            return a.Kind == 1;
        int c = a.Kind == 1 ? Compare(FolderKey(a), FolderKey(b)) : Compare(FileKey(a), FileKey(b));
        if (c == 0)
            c = CompareNames(a.Name, b.Name);
        return m_order == Qt::AscendingOrder ? c < 0 : c > 0;
    }
    static int Compare(int64_t a, int64_t b) { return a < b ? -1 : (a > b ? 1 : 0); }
    int64_t FolderKey(const RowRecord &r) const
    {
        switch (m_column) {
        case ResultModel::ColToLeftCount: return r.ToLeftCount;
        case ResultModel::ColToRightCount: return r.ToRightCount;
        default: return 0;
        }
    }
    int64_t FileKey(const RowRecord &r) const
    {
        switch (m_column) {
        case ResultModel::ColLeftDate: return r.LeftTime;
        case ResultModel::ColLeftSize: return r.LeftTime > 2000 ? r.LeftSize : -1;
        case ResultModel::ColRightDate: return r.RightTime;
        case ResultModel::ColRightSize: return r.RightTime > 20 ? r.RightSize : -1;
        case ResultModel::ColLeftImage:
        case ResultModel::ColDirectImage:
        case ResultModel::ColRightImage: return r.Direction;
        default: return 0;
        }
    }

    int m_column;
    Qt::SortOrder m_order;
};

// The user's long time format without the zone Qt adds to it.
QString TimeFormat()
{
    QString format = QLocale().timeFormat(QLocale::LongFormat);
    format.remove(QLatin1Char('t'));
    return format.trimmed();
}

}  // namespace

int ResultModel::ClickOf(int column)
{
    switch (column) {
    case ColLeftImage: return ClickLeft;
    case ColDirectImage: return ClickDirect;
    case ColRightImage: return ClickRight;
    default: return 0;
    }
}

int ResultModel::ColumnWidth(int column)
{
    return column >= 0 && column < ColumnCount ? Columns[column].Width : 0;
}

QStringList ResultModel::WidthTexts(int column)
{
    switch (column) {
    case ColLeftSize:
    case ColRightSize: return {FolderText, NotPresent};
    case ColLeftDate:
    case ColRightDate: {
        QStringList texts{FolderText, NotSeenBefore};
        // Two-digit days and hours; the month names differ in width.
        for (int month = 1; month <= 12; ++month)
            texts << DateText(DosDateTime::PackFields(2028, month, 28, 23, 58, 58));
        return texts;
    }
    default: return {};
    }
}

ResultModel::ResultModel(const IconCache &icons, QObject *parent) : QAbstractItemModel(parent), m_icons(icons) {}

void ResultModel::SetRows(RowTree *rows)
{
    beginResetModel();
    m_rows = rows;
    m_hoverNode = nullptr;
    m_hoverClick = 0;
    ClearPendingUpdates();
    m_undo.Clear();
    m_find.Build(m_rows ? m_rows->RootNode() : nullptr, m_findText);
    std::vector<Row *> changed;
    CountRows(changed);
    endResetModel();
    Q_EMIT RecordsChanged();
}

QString ResultModel::DateText(int32_t packed)
{
    const QDateTime when = DosDateTime::Unpack(packed);
    if (!when.isValid())
        return QString();
    const QLocale locale;
    QString text = locale.toString(when.date(), QLocale::ShortFormat);
    if (when.time() != QTime(0, 0)) {
        static const QString timeFormat = TimeFormat();
        text += QLatin1Char(' ') + locale.toString(when.time(), timeFormat);
    }
    return text;
}

QString ResultModel::SizeText(int64_t size)
{
    return QLocale().toString(qlonglong(size));
}

Row *ResultModel::NodeAt(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Row *>(index.internalPointer()) : nullptr;
}

QModelIndex ResultModel::IndexOf(Row *node, int column) const
{
    if (!node || m_detached)
        return {};
    const int place = m_find.Position(node);
    return place < 0 ? QModelIndex() : createIndex(place, column, node);
}

QModelIndex ResultModel::index(int row, int column, const QModelIndex &parent) const
{
    if (row < 0 || column < 0 || column >= ColumnCount || m_detached)
        return {};
    if (!parent.isValid()) {
        Row *root = (m_rows ? m_rows->RootNode() : nullptr);
        return row == 0 && root ? createIndex(0, column, root) : QModelIndex();
    }
    const Row *node = NodeAt(parent);
    if (parent.column() != ColItem)
        return {};
    Row *child = m_find.VisibleChild(node, row);
    return child ? createIndex(row, column, child) : QModelIndex();
}

QModelIndex ResultModel::parent(const QModelIndex &child) const
{
    const Row *node = NodeAt(child);
    if (!node || !node->Parent)
        return {};
    return createIndex(m_find.Position(node->Parent), ColItem, node->Parent);
}

int ResultModel::rowCount(const QModelIndex &parent) const
{
    if (m_detached)
        return 0;
    if (!parent.isValid())
        return (m_rows ? m_rows->RootNode() : nullptr) ? 1 : 0;
    if (parent.column() != ColItem)
        return 0;
    return m_find.VisibleCount(NodeAt(parent));
}

int ResultModel::columnCount(const QModelIndex &) const
{
    return ColumnCount;
}

Qt::ItemFlags ResultModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == ColItem && m_find.VisibleCount(NodeAt(index)) == 0)
        f |= Qt::ItemNeverHasChildren;
    return f;
}

QVariant ResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return {};
    if (role == Qt::DisplayRole) {
        QString header = QString::fromLatin1(Columns[section].Header);
        // The count columns hold small numbers: their headers take two lines, and the width
        // goes to the names.
        if (section == ColToLeftCount || section == ColToRightCount)
            header.replace(QLatin1Char(' '), QLatin1Char('\n'));
        return header;
    }
    if (role == Qt::ToolTipRole && Columns[section].Hint)
        return QString::fromLatin1(Columns[section].Hint);
    return {};
}

QVariant ResultModel::data(const QModelIndex &index, int role) const
{
    const Row *node = NodeAt(index);
    if (!node)
        return {};
    const int column = index.column();
    const bool root = node->Parent == nullptr;

    if (role == Qt::BackgroundRole) {
        if (column >= ColLeftDate && column <= ColToLeftCount)
            return QBrush(QColor(240, 255, 240));
        if (column >= ColToRightCount && column <= ColRightSize)
            return QBrush(QColor(255, 255, 240));
        return QBrush(Qt::white);
    }

    std::lock_guard lock(m_rows->Mutex());
    const RowRecord &row = node->Data;
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case ColItem: return row.Name;
        case ColToLeftCount: return row.Kind == 1 ? CountText(row.ToLeftCount) : QString();
        case ColToRightCount: return row.Kind == 1 ? CountText(row.ToRightCount) : QString();
        case ColLeftDate:
        case ColLeftSize:
        case ColRightDate:
        case ColRightSize:
            if (root)
                return QString();
            if (row.Kind == 1)
                return FolderText;
            if (column == ColLeftDate)
                return row.LeftTime > 2000 ? DateText(row.LeftTime) : NotSeenBefore;
            if (column == ColRightDate)
                return row.RightTime > 20 ? DateText(row.RightTime) : NotSeenBefore;
            // A size goes with its date: an empty file that is there is 0 bytes, not missing.
            if (column == ColLeftSize)
                return row.LeftTime > 2000 ? SizeText(row.LeftSize) : NotPresent;
            return row.RightTime > 20 ? SizeText(row.RightSize) : NotPresent;
        default: return QString();
        }
    case ImageIndexRole:
    case Qt::DecorationRole: {
        int image = ImageField(row, column);
        if (image < 0)
            return {};
        if (node == m_hoverNode && ClickOf(column) == m_hoverClick)
            image -= 1;
        if (role == ImageIndexRole)
            return image;
        return image == RowImage::None ? QVariant() : QVariant(m_icons.Image(image));
    }
    case Qt::ToolTipRole: {
        const QString why = ReasonText(row);
        return why.isEmpty() ? QVariant() : QVariant(why);
    }
    case KindRole: return row.Kind;
    case ActionRole: return row.Action;
    case DirectionRole: return row.Direction;
    default: return {};
    }
}

void ResultModel::Detach()
{
    beginResetModel();
    m_detached = true;
    m_hoverNode = nullptr;
    m_hoverClick = 0;
    ClearPendingUpdates();
    m_undo.Clear();
    m_find.Clear();
    m_totals = RowTotals();
    endResetModel();
}

void ResultModel::Attach()
{
    beginResetModel();
    m_detached = false;
    Row *root = m_rows ? m_rows->RootNode() : nullptr;
    // Counted first: the folders may be ordered by their counts.
    std::vector<Row *> changed;
    CountRows(changed);
    if (root) {
        std::lock_guard lock(m_rows->Mutex());
        RowOrder(m_sortColumn, m_sortOrder).SortBelow(*root);
    }
    m_find.Build(root, m_findText);
    endResetModel();
    Q_EMIT RecordsChanged();
}

void ResultModel::SetFindText(const QString &text)
{
    if (text == m_findText)
        return;
    beginResetModel();
    m_findText = text;
    m_hoverNode = nullptr;
    m_hoverClick = 0;
    m_find.Build(m_detached || !m_rows ? nullptr : m_rows->RootNode(), text);
    endResetModel();
}

void ResultModel::SortRows(int column, Qt::SortOrder order)
{
    m_sortColumn = column;
    m_sortOrder = order;
    Row *root = m_rows ? m_rows->RootNode() : nullptr;
    if (!root || m_detached)
        return;
    if (m_find.Active()) {
        // The places of the found rows all change: cheaper to show them anew.
        beginResetModel();
        {
            std::lock_guard lock(m_rows->Mutex());
            RowOrder(column, order).SortBelow(*root);
        }
        m_find.Build(root, m_findText);
        endResetModel();
        return;
    }
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    {
        std::lock_guard lock(m_rows->Mutex());
        RowOrder(column, order).SortBelow(*root);
    }
    // Rows keep their addresses; only their places changed.
    QModelIndexList after;
    for (const QModelIndex &index : before)
        after << createIndex(NodeAt(index)->IndexInParent, index.column(), index.internalPointer());
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

RowRecord ResultModel::Record(const QModelIndex &index) const
{
    const Row *node = NodeAt(index);
    if (!node)
        return {};
    std::lock_guard lock(m_rows->Mutex());
    return node->Data;
}

void ResultModel::UpdateRecord(const QModelIndex &index, const std::function<void(RowRecord &)> &change)
{
    Row *node = NodeAt(index);
    if (!node)
        return;
    {
        std::lock_guard lock(m_rows->Mutex());
        change(node->Data);
    }
    RepaintRow(node);
    Recount();
}

bool ResultModel::HasRows() const
{
    const Row *root = (m_rows ? m_rows->RootNode() : nullptr);
    return !m_detached && root && root->ChildCount() > 0;
}

bool ResultModel::DirectionClick(const QModelIndex &index)
{
    return ApplyDirection(index, ClickOf(index.column()));
}

bool ResultModel::ApplyDirection(const QModelIndex &index, int click)
{
    return ApplyToRows(QItemSelection(index, index), click);
}

bool ResultModel::ChangeRow(Row *node, int click)
{
    if (node->Data.Action == saSame)
        return false;  // never travels: nothing to note
    m_undo.Note(node);
    return ApplyClick(node->Data, click);
}

void ResultModel::ChangeBelow(Row *row, int click, std::vector<Row *> &parents)
{
    // While a find shows part of the rows, a folder's command reaches only the rows found.
    bool anyFile = false;
    const int count = m_find.VisibleCount(row);
    for (int i = 0; i < count; ++i) {
        Row *child = m_find.VisibleChild(row, i);
        if (child->Data.Kind == 1)
            ChangeBelow(child, click, parents);
        else
            anyFile = ChangeRow(child, click) || anyFile;
    }
    if (anyFile)
        parents.push_back(row);
}

bool ResultModel::ApplyToRows(const QItemSelection &rows, int click)
{
    if (click == 0 || !HasRows())
        return false;
    // The rows of a range share their folder (none above the job's row).
    const auto folderOf = [this](const QItemSelectionRange &range) { return NodeAt(range.parent()); };
    const auto rowAt = [this](const Row *folder, int place) {
        return folder ? m_find.VisibleChild(folder, place) : (place == 0 ? m_rows->RootNode() : nullptr);
    };
    // Folders are few: a range whose folder, or a folder above it, is selected too is
    // reached through that folder, once, and skipped whole.
    std::unordered_set<const Row *> folders;
    for (const QItemSelectionRange &range : rows) {
        const Row *folder = folderOf(range);
        for (int place = range.top(); place <= range.bottom(); ++place)
            if (const Row *node = rowAt(folder, place); node && node->Data.Kind == 1)
                folders.insert(node);
    }
    const auto reachedThroughFolder = [&folders](const Row *folder) {
        for (const Row *above = folder; above; above = above->Parent)
            if (folders.count(above))
                return true;
        return false;
    };
    std::vector<Row *> parents;
    size_t files = 0;
    Row *lastFile = nullptr;
    {
        std::lock_guard lock(m_rows->Mutex());
        m_undo.Begin();
        for (const QItemSelectionRange &range : rows) {
            Row *folder = folderOf(range);
            if (reachedThroughFolder(folder))
                continue;
            const size_t filesBefore = files;
            for (int place = range.top(); place <= range.bottom(); ++place) {
                Row *node = rowAt(folder, place);
                if (!node)
                    break;
                if (node->Data.Kind == 1) {
                    ChangeBelow(node, click, parents);
                } else if (ChangeRow(node, click)) {
                    ++files;
                    lastFile = node;
                }
            }
            if (files > filesBefore)
                parents.push_back(lastFile->Parent);
        }
        m_undo.End();
    }
    // A clicked cell shows its new picture, not the highlighted one.
    if (files == 1 && lastFile == m_hoverNode)
        SetHover({});
    return RepaintParents(parents);
}

bool ResultModel::RepaintParents(std::vector<Row *> &parents)
{
    if (parents.empty())
        return false;
    std::sort(parents.begin(), parents.end());
    parents.erase(std::unique(parents.begin(), parents.end()), parents.end());
    // A tree view looks up each range's rows one range at a time: over many folders that
    // costs more than painting the whole view once.
    if (parents.size() > ManyFolders && !m_detached) {
        Q_EMIT ManyRowsChanged();
    } else {
        for (Row *parent : parents)
            RepaintChildren(parent);
    }
    Recount();
    return true;
}

bool ResultModel::UndoDirections()
{
    if (!m_rows)
        return false;
    std::vector<Row *> rows;
    {
        std::lock_guard lock(m_rows->Mutex());
        rows = m_undo.Undo();
    }
    std::vector<Row *> parents;
    for (Row *row : rows)
        if (parents.empty() || parents.back() != row->Parent)
            parents.push_back(row->Parent);
    return RepaintParents(parents);
}

void ResultModel::RepaintChildren(Row *parent)
{
    const int count = parent ? m_find.VisibleCount(parent) : 0;
    if (m_detached || count == 0)
        return;
    Q_EMIT dataChanged(IndexOf(m_find.VisibleChild(parent, 0)),
                       IndexOf(m_find.VisibleChild(parent, count - 1), ColumnCount - 1));
}

void ResultModel::CountRows(std::vector<Row *> &changed)
{
    Row *root = m_rows && !m_detached ? m_rows->RootNode() : nullptr;
    if (!root) {
        m_totals = RowTotals();
        return;
    }
    std::lock_guard lock(m_rows->Mutex());
    m_totals = RowTotals::Count(*root, changed);
}

void ResultModel::Recount()
{
    std::vector<Row *> changed;
    CountRows(changed);
    if (changed.size() > ManyFolders) {
        Q_EMIT ManyRowsChanged();
    } else {
        for (Row *row : changed)
            if (const QModelIndex index = IndexOf(row, ColToLeftCount); index.isValid())
                Q_EMIT dataChanged(index, IndexOf(row, ColToRightCount));
    }
    Q_EMIT RecordsChanged();
}

void ResultModel::SetHover(const QModelIndex &index)
{
    Row *node = NodeAt(index);
    const int click = node ? ClickOf(index.column()) : 0;
    if (!click)
        node = nullptr;
    if (node == m_hoverNode && click == m_hoverClick)
        return;
    Row *previous = m_hoverNode;
    m_hoverNode = node;
    m_hoverClick = click;
    if (previous)
        RepaintRow(previous);
    if (node && node != previous)
        RepaintRow(node);
}

void ResultModel::RepaintRow(Row *node)
{
    if (m_detached || !m_find.Visible(node))
        return;
    Q_EMIT dataChanged(IndexOf(node, ColItem), IndexOf(node, ColumnCount - 1));
}

void ResultModel::NoteRowUpdated(Row *row)
{
    std::lock_guard lock(m_updateMutex);
    m_updated.push_back(row);
    if (m_flushScheduled)
        return;
    m_flushScheduled = true;
    QMetaObject::invokeMethod(
        this, [this] { QTimer::singleShot(RepaintBatchMs, this, &ResultModel::FlushUpdates); },
        Qt::QueuedConnection);
}

void ResultModel::ClearPendingUpdates()
{
    std::lock_guard lock(m_updateMutex);
    m_updated.clear();
}

void ResultModel::FlushUpdates()
{
    std::vector<Row *> rows;
    {
        std::lock_guard lock(m_updateMutex);
        rows.swap(m_updated);
        m_flushScheduled = false;
    }
    if (rows.empty() || m_detached)
        return;
    Recount();
    if (m_find.Active()) {
        for (Row *row : rows)
            if (m_find.Visible(row))
                RepaintRow(row);
        Q_EMIT RowsRepainted(IndexOf(rows.back()));
        return;
    }
    // Rows of one folder are copied in order: one range per run of siblings.
    size_t first = 0;
    for (size_t i = 1; i <= rows.size(); ++i) {
        if (i < rows.size() && rows[i]->Parent == rows[first]->Parent)
            continue;
        int low = rows[first]->IndexInParent, high = low;
        for (size_t k = first; k < i; ++k) {
            low = std::min(low, rows[k]->IndexInParent);
            high = std::max(high, rows[k]->IndexInParent);
        }
        Row *parent = rows[first]->Parent;
        Q_EMIT dataChanged(createIndex(low, ColItem, parent->Child(low)),
                           createIndex(high, ColumnCount - 1, parent->Child(high)));
        first = i;
    }
    Q_EMIT RowsRepainted(IndexOf(rows.back()));
}
