#include "ui/config/RemoteFolderDialog.h"

#include "ui/config/ConfigMessages.h"
#include "ui/config/ConfigSkin.h"
#include "ui/config/FtpBackgroundCall.h"
#include "ui/config/FtpFolderWalk.h"
#include "ui/widgets/ImageButton.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int DialogWidth = 450;
constexpr int DialogHeight = 350;

}  // namespace

RemoteFolderDialog::RemoteFolderDialog(QWidget *parent) : SkinnedWindow(parent), m_call(new FtpBackgroundCall(this))
{
    setObjectName(QStringLiteral("FTPContentsForm"));
    setFixedSize(DialogWidth, DialogHeight);
    ConfigSkin::Background(this, QStringLiteral("FTPContentsBack"));
    ConfigSkin::CloseBox(this);
    setWindowTitle(QStringLiteral("Files in the server's folder"));
    ShowTitleInBand();
    auto *box = new QVBoxLayout(this);
    box->setContentsMargins(12, 42, 12, 12);

    tvFtp = new QTreeWidget(this);
    tvFtp->setObjectName(QStringLiteral("tvFtp"));
    tvFtp->setHeaderHidden(true);
    tvFtp->setRootIsDecorated(false);
    tvFtp->setEditTriggers(QAbstractItemView::NoEditTriggers);
    box->addWidget(tvFtp, 1);

    auto *buttons = new QHBoxLayout;
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->hide();
    buttons->addWidget(Label1);
    buttons->addStretch();
    ImageButton *cancel = ConfigSkin::Button(this, QStringLiteral("CancelButton"), QStringLiteral("Cancel"),
                                             ConfigSkin::DialogButtonSize, QStringLiteral("Cancel"));
    connect(cancel, &ImageControl::clicked, this, &QDialog::reject);
    SetDefaultButton(cancel);
    buttons->addWidget(cancel);
    box->addLayout(buttons);

    connect(m_call, &FtpBackgroundCall::Finished, this, [this] {
        Label1->hide();
        Q_EMIT WorkEnded();
    });
}

RemoteFolderDialog::~RemoteFolderDialog() = default;

void RemoteFolderDialog::SetFolder(const QString &folderPath, const JobSide &source)
{
    m_folderPath = folderPath;
    m_source = source;
}

bool RemoteFolderDialog::Busy() const
{
    return m_call->Busy();
}

void RemoteFolderDialog::SetRunGate(RunGate &gate)
{
    m_call->SetGate(gate);
}

void RemoteFolderDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_listed)
        return;
    m_listed = true;
    Label1->setText(ConfigMessages::PleaseWait());
    Label1->show();
    const JobSide source = m_source;
    const QString folder = m_folderPath;
    m_call->Start([this, source, folder]() -> FtpBackgroundCall::Delivery {
        const QList<FtpFolderWalk::Node> nodes = FtpFolderWalk::ListContents(source, folder);
        return [this, nodes] {
            const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
            const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
            for (const FtpFolderWalk::Node &node : nodes) {
                auto *item = new QTreeWidgetItem(tvFtp, {node.Rec.FolderName});
                item->setIcon(0, node.IsFolder ? folderIcon : fileIcon);
            }
        };
    });
}

void RemoteFolderDialog::done(int result)
{
    if (!m_call->DeferDone(this, result))
        QDialog::done(result);
}
