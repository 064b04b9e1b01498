#include "ui/config/FtpFolderChooser.h"

#include "folders/FtpFolder.h"
#include "folders/Side.h"
#include "model/RemoteAddress.h"
#include "ui/config/ConfigMessages.h"
#include "ui/config/ConfigSkin.h"
#include "ui/config/FtpBackgroundCall.h"
#include "ui/config/FtpFolderWalk.h"
#include "ui/config/ServerTrustQuestion.h"
#include "ui/config/StarPasswordStyle.h"
#include "ui/widgets/ImageButton.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int DialogWidth = 619;
constexpr int DialogHeight = 400;
constexpr int UrlRole = Qt::UserRole;        // FtpNodeRecord::FolderUrl
constexpr int NameRole = Qt::UserRole + 1;   // FtpNodeRecord::FolderName

}  // namespace

FtpFolderChooser::FtpFolderChooser(QWidget *parent) : SkinnedWindow(parent), m_call(new FtpBackgroundCall(this))
{
    setObjectName(QStringLiteral("FTPChooseRoForm"));
    setFixedSize(DialogWidth, DialogHeight);
    ConfigSkin::Background(this, QStringLiteral("FTPChooseRoBack"));
    ConfigSkin::CloseBox(this);
    setWindowTitle(QStringLiteral("Choose a folder on the FTP server"));
    ShowTitleInBand();
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(12, 42, 12, 12);


    auto *fields = new QGridLayout;
    auto field = [this, fields](int row, const QString &labelName, const QString &caption, const QString &editName) {
        auto *label = new QLabel(caption, this);
        label->setObjectName(labelName);
        auto *edit = new QLineEdit(this);
        edit->setObjectName(editName);
        fields->addWidget(label, row, 0);
        fields->addWidget(edit, row, 1);
        return edit;
    };
    Edit_ftpip = field(0, QStringLiteral("lb_ftpaddr"), QStringLiteral("Address"), QStringLiteral("Edit_ftpip"));
    Edit_ftpuser = field(1, QStringLiteral("lb_ftpuser"), QStringLiteral("User"), QStringLiteral("Edit_ftpuser"));
    Edit_ftppwd = field(2, QStringLiteral("lb_ftppwd"), QStringLiteral("Password"), QStringLiteral("Edit_ftppwd"));
    Edit_keyfile = field(3, QStringLiteral("lb_keyfile"), QStringLiteral("Key file"), QStringLiteral("Edit_keyfile"));
    lb_keyfile = findChild<QLabel *>(QStringLiteral("lb_keyfile"));
    Edit_keyfile->setPlaceholderText(
        QStringLiteral("A private key file (a locked one's passphrase is asked for); empty: the ssh-agent or the password"));
    bt_keyfile = ConfigSkin::Button(this, QStringLiteral("bt_keyfile"), QStringLiteral("Browse"),
                                    ConfigSkin::BrowseButtonSize, QStringLiteral("Browse for the key file"));
    connect(bt_keyfile, &ImageControl::clicked, this, &FtpFolderChooser::browseKeyFile);
    fields->addWidget(bt_keyfile, 3, 2);
    Edit_ftpip->setPlaceholderText(QStringLiteral("ftp://host:port/folder, ftps://... or sftp://host/absolute/folder"));
    lb_ftpexample = new QLabel(this);
    lb_ftpexample->setObjectName(QStringLiteral("lb_ftpexample"));
    lb_ftpexample->setStyleSheet(QStringLiteral("color: grey;"));
    fields->addWidget(lb_ftpexample, 4, 1);
    connect(Edit_ftpip, &QLineEdit::textChanged, this, &FtpFolderChooser::showKeyFileRow);
    Edit_ftppwd->setEchoMode(QLineEdit::Password);
    auto *stars = new StarPasswordStyle;
    stars->setParent(Edit_ftppwd);
    Edit_ftppwd->setStyle(stars);
    fptconnectButton = ConfigSkin::Button(this, QStringLiteral("fptconnectButton"), QStringLiteral("fptconnectButton"),
                                          QSize(96, 28), QStringLiteral("Connect"));
    connect(fptconnectButton, &ImageControl::clicked, this, &FtpFolderChooser::fptconnectButtonClick);
    fields->addWidget(fptconnectButton, 0, 2);
    box->addLayout(fields);

    tvFtp = new QTreeWidget(this);
    tvFtp->setObjectName(QStringLiteral("tvFtp"));
    tvFtp->setHeaderHidden(true);
    tvFtp->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The selection stays visible when the tree loses the focus.
    QPalette p = tvFtp->palette();
    p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
    tvFtp->setPalette(p);
    connect(tvFtp, &QTreeWidget::itemClicked, this, &FtpFolderChooser::tvFtpClick);
    connect(tvFtp, &QTreeWidget::itemDoubleClicked, this, &FtpFolderChooser::tvFtpDblClick);
    box->addWidget(tvFtp, 1);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->hide();

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Label1);
    buttons->addStretch();
    ImageButton *ok = ConfigSkin::Button(this, QStringLiteral("OkButton"), QStringLiteral("Ok"),
                                         ConfigSkin::DialogButtonSize, QStringLiteral("OK"));
    connect(ok, &ImageControl::clicked, this, &FtpFolderChooser::OkButtonClick);
    SetDefaultButton(ok);
    ImageButton *cancel = ConfigSkin::Button(this, QStringLiteral("CancelButton"), QStringLiteral("Cancel"),
                                             ConfigSkin::DialogButtonSize, QStringLiteral("Cancel"));
    connect(cancel, &ImageControl::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    box->addLayout(buttons);

    connect(m_call, &FtpBackgroundCall::Finished, this, [this] {
        setWorking(false);
        Q_EMIT WorkEnded();
    });
}

FtpFolderChooser::~FtpFolderChooser() = default;

void FtpFolderChooser::SetFolderSource(const JobSide &source)
{
    m_source = source;
    m_result = false;
    Edit_ftpip->setText(source.FolerAllName);
    Edit_ftpuser->setText(source.UserName);
    Edit_ftppwd->setText(source.PWD);
    Edit_keyfile->setText(source.PrivateKey);
    showKeyFileRow();
    tvFtp->clear();
}

QString FtpFolderChooser::typedAddress() const
{
    const QString stored = m_source.FolerAllName;
    const RemoteAddress::Scheme scheme =
        RemoteAddress::HasRemoteScheme(stored) ? RemoteAddress::Parse(stored).scheme : RemoteAddress::Scheme::Ftp;
    return RemoteAddress::Normalize(Edit_ftpip->text(), scheme);
}

// The key file is an SFTP login's alone; the example is of the scheme typed.
void FtpFolderChooser::showKeyFileRow()
{
    const RemoteAddress::Scheme scheme = RemoteAddress::Parse(typedAddress()).scheme;
    const bool sftp = scheme == RemoteAddress::Scheme::Sftp;
    lb_ftpexample->setText(
        sftp ? QStringLiteral("For example sftp://example.com/home/me/site, the full path")
        : scheme == RemoteAddress::Scheme::Ftps
            ? QStringLiteral("For example ftps://ftp.example.com/pub (port 21 unless given)")
            : QStringLiteral("For example ftp://ftp.example.com:21/pub, or just ftp.example.com"));
    lb_keyfile->setVisible(sftp);
    Edit_keyfile->setVisible(sftp);
    bt_keyfile->setVisible(sftp);
}

void FtpFolderChooser::browseKeyFile()
{
    const QString file = QFileDialog::getOpenFileName(this, QStringLiteral("Choose a private key file"),
                                                      Edit_keyfile->text().isEmpty() ? QDir::homePath() + QStringLiteral("/.ssh")
                                                                                     : Edit_keyfile->text());
    if (!file.isEmpty())
        Edit_keyfile->setText(file);
}

void FtpFolderChooser::takeFields()
{
    const QString target = typedAddress();
    Edit_ftpip->setText(target);
    m_source.FolerAllName = target;
    m_source.UserName = Edit_ftpuser->text();
    m_source.PWD = Edit_ftppwd->text();
    if (RemoteAddress::Parse(target).scheme == RemoteAddress::Scheme::Sftp)
        m_source.PrivateKey = Edit_keyfile->text().trimmed();
}

bool FtpFolderChooser::Busy() const
{
    return m_call->Busy();
}

void FtpFolderChooser::SetRunGate(RunGate &gate)
{
    m_call->SetGate(gate);
}

void FtpFolderChooser::setWorking(bool working)
{
    Label1->setText(working ? ConfigMessages::PleaseWait() : QString());
    Label1->setVisible(working);
    fptconnectButton->setEnabled(!working);
    tvFtp->setEnabled(!working);
}

QTreeWidgetItem *FtpFolderChooser::addNode(QTreeWidgetItem *parent, const QString &name, const QString &url)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvFtp);
    item->setText(0, name);
    item->setData(0, NameRole, name);
    item->setData(0, UrlRole, url);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    return item;
}

void FtpFolderChooser::fptconnectButtonClick()
{
    if (Busy())
        return;
    takeFields();
    const QString target = m_source.FolerAllName;
    tvFtp->clear();
    setWorking(true);
    const JobSide source = m_source;
    m_call->Start([this, source, target]() -> FtpBackgroundCall::Delivery {
        const FtpFolderWalk::WalkResult walk = FtpFolderWalk::ConnectAndWalk(source, target);
        return [this, walk] {
            if (walk.ConnectCode != 0 && walk.Untrusted) {
                JobSide side = m_source;
                side.DeviceType = 3;
                const std::unique_ptr<Side> access = Side::For(side, false);
                if (AskServerTrust(this, *walk.Untrusted) && access && access->Trust(*walk.Untrusted))
                    QMetaObject::invokeMethod(this, &FtpFolderChooser::fptconnectButtonClick, Qt::QueuedConnection);
                return;
            }
            if (walk.ConnectCode != 0) {
                ConfigMessages::Inform(this, walk.ConnectFailure.isEmpty()
                                                 ? QStringLiteral("Connection Failed!")
                                                 : QStringLiteral("Connection Failed: %1").arg(walk.ConnectFailure));
                return;
            }
            QList<QTreeWidgetItem *> items;
            for (const FtpFolderWalk::Node &node : walk.Nodes)
                items.append(addNode(node.Parent < 0 ? nullptr : items.at(node.Parent), node.Rec.FolderName,
                                     node.Rec.FolderUrl));
            if (walk.Selected >= 0)
                tvFtp->setCurrentItem(items.at(walk.Selected));
            tvFtp->expandAll();
        };
    });
}

void FtpFolderChooser::tvFtpClick()
{
    QTreeWidgetItem *item = tvFtp->currentItem();
    if (!item || item->childCount() > 0)
        return;
    const QString url = item->data(0, UrlRole).toString();
    Edit_ftpip->setText(url);
    m_source.FolerAllName = url;
}

void FtpFolderChooser::tvFtpDblClick()
{
    QTreeWidgetItem *item = tvFtp->currentItem();
    if (!item || item->childCount() > 0 || Busy())
        return;
    const QString url = item->data(0, UrlRole).toString();
    Edit_ftpip->setText(url);
    m_source.FolerAllName = url;
    setWorking(true);
    const JobSide source = m_source;
    m_call->Start([this, source, url, item]() -> FtpBackgroundCall::Delivery {
        const QList<FtpFolderWalk::Node> nodes = FtpFolderWalk::ListSubfolders(source, url);
        // The tree is not changed while the call runs (it is disabled), so item still lives.
        return [this, nodes, item] {
            for (const FtpFolderWalk::Node &node : nodes)
                addNode(item, node.Rec.FolderName, node.Rec.FolderUrl);
            tvFtp->expandAll();
        };
    });
}

void FtpFolderChooser::OkButtonClick()
{
    takeFields();
    m_source.DeviceType = 3;
    m_result = true;
    accept();
}

void FtpFolderChooser::done(int result)
{
    if (result != QDialog::Accepted)
        m_result = false;
    if (!m_call->DeferDone(this, result))
        QDialog::done(result);
}
