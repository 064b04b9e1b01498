#include "ui/config/LocalFolderChooser.h"

#include "app/SharedFunctions.h"
#include "ui/config/ConfigMessages.h"
#include "ui/config/ConfigSkin.h"
#include "ui/config/LocalFolderMaker.h"
#include "ui/widgets/ImageButton.h"

#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int DialogWidth = 640;
constexpr int DialogHeight = 440;
constexpr int PathRole = Qt::UserRole;
constexpr int FilledRole = Qt::UserRole + 1;

QString joined(const QString &folder, const QString &name)
{
    return folder.endsWith(QLatin1Char('/')) ? folder + name : folder + QLatin1Char('/') + name;
}

}  // namespace

LocalFolderChooser::LocalFolderChooser(QWidget *parent) : SkinnedWindow(parent)
{
    setObjectName(QStringLiteral("ChooseRoForm"));
    setFixedSize(DialogWidth, DialogHeight);
    ConfigSkin::Background(this, QStringLiteral("ChooseRoBack"));
    ConfigSkin::CloseBox(this);
    setWindowTitle(QStringLiteral("Choose a folder on this computer"));
    ShowTitleInBand();
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(12, 42, 12, 12);


    strv1 = new QTreeWidget(this);
    strv1->setObjectName(QStringLiteral("strv1"));
    strv1->setHeaderHidden(true);
    strv1->setRootIsDecorated(true);
    strv1->setContextMenuPolicy(Qt::PreventContextMenu);
    connect(strv1, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem *item) { fill(item); });
    connect(strv1, &QTreeWidget::currentItemChanged, this, &LocalFolderChooser::selectionChanged);
    box->addWidget(strv1, 1);

    auto *address = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("Address"), this);
    label->setObjectName(QStringLiteral("Label_Address"));
    Edit_Address = new QLineEdit(this);
    Edit_Address->setObjectName(QStringLiteral("Edit_Address"));
    address->addWidget(label);
    address->addWidget(Edit_Address, 1);
    box->addLayout(address);

    auto *buttons = new QHBoxLayout;
    ImageButton *make = ConfigSkin::Button(this, QStringLiteral("MakeFolderButton"), QStringLiteral("MakeFolderButton"),
                                           QSize(116, 28), QStringLiteral("Make a new folder"));
    connect(make, &ImageControl::clicked, this, &LocalFolderChooser::MakeFolderButtonClick);
    ImageButton *ok = ConfigSkin::Button(this, QStringLiteral("OkButton"), QStringLiteral("Ok"),
                                         ConfigSkin::DialogButtonSize, QStringLiteral("OK"));
    connect(ok, &ImageControl::clicked, this, &LocalFolderChooser::OkButtonClick);
    SetDefaultButton(ok);
    ImageButton *cancel = ConfigSkin::Button(this, QStringLiteral("CancelButton"), QStringLiteral("Cancel"),
                                             ConfigSkin::DialogButtonSize, QStringLiteral("Cancel"));
    connect(cancel, &ImageControl::clicked, this, &QDialog::reject);
    buttons->addWidget(make);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    box->addLayout(buttons);

    m_home = addFolderItem(nullptr, QStringLiteral("Home"), QDir::homePath());
    m_root = addFolderItem(nullptr, QStringLiteral("File System"), QDir::rootPath());
    m_root->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Drive));
}

QTreeWidgetItem *LocalFolderChooser::addFolderItem(QTreeWidgetItem *parent, const QString &name, const QString &path)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(strv1);
    item->setText(0, name);
    item->setToolTip(0, QDir::toNativeSeparators(path));
    item->setData(0, PathRole, path);
    item->setIcon(0, QFileIconProvider().icon(QFileIconProvider::Folder));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    return item;
}

void LocalFolderChooser::fill(QTreeWidgetItem *item, bool refresh)
{
    if (item->data(0, FilledRole).toBool() && !refresh)
        return;
    const QString path = item->data(0, PathRole).toString();
    qDeleteAll(item->takeChildren());
    const QDir dir(path);
    // Hidden folders last, so the ones a person made come first.
    const QDir::Filters folders = QDir::Dirs | QDir::NoDotAndDotDot;
    const QStringList shown = dir.entryList(folders, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    QStringList hidden = dir.entryList(folders | QDir::Hidden, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    for (const QString &name : shown)
        hidden.removeOne(name);
    for (const QString &name : shown + hidden)
        addFolderItem(item, name, joined(path, name));
    item->setData(0, FilledRole, true);
    item->setChildIndicatorPolicy(item->childCount() ? QTreeWidgetItem::ShowIndicator
                                                     : QTreeWidgetItem::DontShowIndicator);
}

QTreeWidgetItem *LocalFolderChooser::childNamed(QTreeWidgetItem *item, const QString &name)
{
    for (int i = 0; i < item->childCount(); ++i)
        if (item->child(i)->text(0) == name)
            return item->child(i);
    return nullptr;
}

bool LocalFolderChooser::SelectPath(const QString &path)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (!QFileInfo(clean).isDir())
        return false;
    const QString home = QDir::cleanPath(QDir::homePath());
    QTreeWidgetItem *item = m_root;
    QString rest = clean.mid(QDir::rootPath().size());
    if (clean == home || clean.startsWith(home + QLatin1Char('/'))) {
        item = m_home;
        rest = clean.mid(home.size());
    }
    for (const QString &name : rest.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        fill(item);
        QTreeWidgetItem *child = childNamed(item, name);
        if (!child) {
            // Made since the folder was listed.
            fill(item, true);
            child = childNamed(item, name);
        }
        if (!child)
            return false;
        item->setExpanded(true);
        item = child;
    }
    strv1->setCurrentItem(item);
    strv1->scrollToItem(item);
    return true;
}

void LocalFolderChooser::SetFolderSource(const JobSide &source)
{
    m_source = source;
    m_result = false;
    Edit_Address->clear();
    if (!source.FolerAllName.isEmpty() && QFileInfo(source.FolerAllName).isDir() && SelectPath(source.FolerAllName))
        strv1->setFocus();
    else
        strv1->setCurrentItem(nullptr);
}

void LocalFolderChooser::selectionChanged()
{
    if (QTreeWidgetItem *item = strv1->currentItem())
        Edit_Address->setText(QDir::toNativeSeparators(item->data(0, PathRole).toString()));
}

void LocalFolderChooser::MakeFolderButtonClick()
{
    const QString parent = Edit_Address->text().trimmed();
    // Without a full path the folder would land wherever the program happens to run.
    if (parent.isEmpty() || QDir::isRelativePath(parent)) {
        ConfigMessages::Inform(this, QStringLiteral("Choose or type the full path of the folder in which "
                                                    "the new folder is to be made."));
        return;
    }
    bool ok = false;
    const QString name = QInputDialog::getText(this, QStringLiteral("Enter New Folder Name"),
                                               QStringLiteral("Create a new folder \n\n") + parent,
                                               QLineEdit::Normal, QString(), &ok);
    if (!ok)
        return;
    if (!IsValidFolderName(name)) {
        ConfigMessages::Inform(this, QStringLiteral("The name you entered does not meet the requirement!!"));
        return;
    }
    if (name.trimmed().isEmpty())
        return;
    const QString path = joined(QDir::fromNativeSeparators(parent), name);
    QString why;
    if (!MakeLocalFolder(path, why)) {
        ConfigMessages::Inform(this, QStringLiteral("The folder \"%1\" could not be created. %2")
                                         .arg(QDir::toNativeSeparators(path), why));
        return;
    }
    SelectPath(path);
    Edit_Address->setText(QDir::toNativeSeparators(path));
}

void LocalFolderChooser::OkButtonClick()
{
    const QString typed = QDir::fromNativeSeparators(Edit_Address->text().trimmed());
    if (!typed.isEmpty() && !EnsureLocalFolder(this, typed, QStringLiteral("The folder")))
        return;
    m_source.FolerAllName = typed;
    m_source.DeviceType = 1;
    m_result = true;
    accept();
}
