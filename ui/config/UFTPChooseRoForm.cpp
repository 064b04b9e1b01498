#include "ui/config/UFTPChooseRoForm.h"

#include "folders/TFTPFile.h"
#include "ui/config/ConfigMessages.h"
#include "ui/config/ConfigSkin.h"
#include "ui/widgets/TImageExButton.h"
#include "ui/config/TFtpBackgroundCall.h"
#include "ui/config/TFtpFolderWalk.h"
#include "ui/config/TStarPasswordStyle.h"

#include <QApplication>
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
constexpr int UrlRole = Qt::UserRole;        // TSectionRec::FolderUrl
constexpr int NameRole = Qt::UserRole + 1;   // TSectionRec::FolderName

}  // namespace

TFTPChooseRoForm::TFTPChooseRoForm(QWidget *parent) : TSkinForm(parent), m_call(new TFtpBackgroundCall(this))
{
    setObjectName(QStringLiteral("FTPChooseRoForm"));
    setFixedSize(DialogWidth, DialogHeight);
    ConfigSkin::Background(this, QStringLiteral("FTPChooseRoBack"));
    ConfigSkin::CloseBox(this);
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
    Edit_ftpuser = field(1, QStringLiteral("lb_ftpuser"), QStringLiteral("User "), QStringLiteral("Edit_ftpuser"));
    Edit_ftppwd = field(2, QStringLiteral("lb_ftppwd"), QStringLiteral("Password"), QStringLiteral("Edit_ftppwd"));
    Edit_ftppwd->setEchoMode(QLineEdit::Password);
    auto *stars = new TStarPasswordStyle;
    stars->setParent(Edit_ftppwd);
    Edit_ftppwd->setStyle(stars);
    fptconnectButton = ConfigSkin::Button(this, QStringLiteral("fptconnectButton"), QStringLiteral("fptconnectButton"),
                                          QSize(96, 28), QStringLiteral("Connect"));
    connect(fptconnectButton, &TImageEx::clicked, this, &TFTPChooseRoForm::fptconnectButtonClick);
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
    connect(tvFtp, &QTreeWidget::itemClicked, this, &TFTPChooseRoForm::tvFtpClick);
    connect(tvFtp, &QTreeWidget::itemDoubleClicked, this, &TFTPChooseRoForm::tvFtpDblClick);
    box->addWidget(tvFtp, 1);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->hide();

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(Label1);
    buttons->addStretch();
    TImageExButton *ok = ConfigSkin::Button(this, QStringLiteral("OkButton"), QStringLiteral("Ok"),
                                            ConfigSkin::DialogButtonSize, QStringLiteral("OK"));
    connect(ok, &TImageEx::clicked, this, &TFTPChooseRoForm::OkButtonClick);
    TImageExButton *cancel = ConfigSkin::Button(this, QStringLiteral("CancelButton"), QStringLiteral("Cancel"),
                                                ConfigSkin::DialogButtonSize, QStringLiteral("Cancel"));
    connect(cancel, &TImageEx::clicked, this, &QDialog::reject);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    box->addLayout(buttons);

    connect(m_call, &TFtpBackgroundCall::Finished, this, [this] {
        setWorking(false);
        Q_EMIT WorkEnded();
    });
}

TFTPChooseRoForm::~TFTPChooseRoForm() = default;

void TFTPChooseRoForm::SetFolderSource(const TFolderSource &source)
{
    m_source = source;
    m_result = false;
    Edit_ftpip->setText(source.FolerAllName);
    Edit_ftpuser->setText(source.UserName);
    Edit_ftppwd->setText(source.PWD);
    tvFtp->clear();
}

bool TFTPChooseRoForm::Busy() const
{
    return m_call->Busy();
}

void TFTPChooseRoForm::SetRunGate(TRunGate &gate)
{
    m_call->SetGate(gate);
}

void TFTPChooseRoForm::setWorking(bool working)
{
    Label1->setText(working ? ConfigMessages::PleaseWait() : QString());
    Label1->setVisible(working);
    fptconnectButton->setEnabled(!working);
    tvFtp->setEnabled(!working);
}

QTreeWidgetItem *TFTPChooseRoForm::addNode(QTreeWidgetItem *parent, const QString &name, const QString &url)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tvFtp);
    item->setText(0, name);
    item->setData(0, NameRole, name);
    item->setData(0, UrlRole, url);
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    return item;
}

void TFTPChooseRoForm::fptconnectButtonClick()
{
    if (Busy())
        return;
    const QString target = TFTPFile::NormalizeFtpUrl(Edit_ftpip->text());
    Edit_ftpip->setText(target);
    m_source.FolerAllName = target;
    m_source.UserName = Edit_ftpuser->text();
    m_source.PWD = Edit_ftppwd->text();
    tvFtp->clear();
    setWorking(true);
    const TFolderSource source = m_source;
    m_call->Start([this, source, target]() -> TFtpBackgroundCall::Delivery {
        const TFtpFolderWalk::WalkResult walk = TFtpFolderWalk::ConnectAndWalk(source, target);
        return [this, walk] {
            if (walk.ConnectCode != 0) {
                ConfigMessages::Inform(this, QStringLiteral("Connection Failed!"));
                return;
            }
            QList<QTreeWidgetItem *> items;
            for (const TFtpFolderWalk::Node &node : walk.Nodes)
                items.append(addNode(node.Parent < 0 ? nullptr : items.at(node.Parent), node.Rec.FolderName,
                                     node.Rec.FolderUrl));
            if (walk.Selected >= 0)
                tvFtp->setCurrentItem(items.at(walk.Selected));
            tvFtp->expandAll();
        };
    });
}

void TFTPChooseRoForm::tvFtpClick()
{
    QTreeWidgetItem *item = tvFtp->currentItem();
    if (!item || item->childCount() > 0)
        return;
    const QString url = item->data(0, UrlRole).toString();
    Edit_ftpip->setText(url);
    m_source.FolerAllName = url;
}

void TFTPChooseRoForm::tvFtpDblClick()
{
    QTreeWidgetItem *item = tvFtp->currentItem();
    if (!item || item->childCount() > 0 || Busy())
        return;
    const QString url = item->data(0, UrlRole).toString();
    Edit_ftpip->setText(url);
    m_source.FolerAllName = url;
    setWorking(true);
    const TFolderSource source = m_source;
    m_call->Start([this, source, url, item]() -> TFtpBackgroundCall::Delivery {
        const QList<TFtpFolderWalk::Node> nodes = TFtpFolderWalk::ListSubfolders(source, url);
        // The tree is not changed while the call runs (it is disabled), so item still lives.
        return [this, nodes, item] {
            for (const TFtpFolderWalk::Node &node : nodes)
                addNode(item, node.Rec.FolderName, node.Rec.FolderUrl);
            tvFtp->expandAll();
        };
    });
}

void TFTPChooseRoForm::OkButtonClick()
{
    const QString url = TFTPFile::NormalizeFtpUrl(Edit_ftpip->text());
    Edit_ftpip->setText(url);
    m_source.FolerAllName = url;
    m_source.UserName = Edit_ftpuser->text();
    m_source.PWD = Edit_ftppwd->text();
    m_source.DeviceType = 3;
    m_result = true;
    accept();
}

void TFTPChooseRoForm::done(int result)
{
    if (result != QDialog::Accepted)
        m_result = false;
    if (!m_call->DeferDone(this, result))
        QDialog::done(result);
}
