#include "ui/config/UFTPContentsForm.h"

#include "ui/config/ConfigMessages.h"
#include "ui/config/ConfigSkin.h"
#include "ui/widgets/TImageExButton.h"
#include "ui/config/TFtpBackgroundCall.h"
#include "ui/config/TFtpFolderWalk.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int DialogWidth = 450;
constexpr int DialogHeight = 350;

}  // namespace

TFTPContentsForm::TFTPContentsForm(QWidget *parent) : TSkinForm(parent), m_call(new TFtpBackgroundCall(this))
{
    setObjectName(QStringLiteral("FTPContentsForm"));
    setFixedSize(DialogWidth, DialogHeight);
    ConfigSkin::Background(this, QStringLiteral("FTPContentsBack"));
    ConfigSkin::CloseBox(this);
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
    TImageExButton *cancel = ConfigSkin::Button(this, QStringLiteral("CancelButton"), QStringLiteral("Cancel"),
                                                ConfigSkin::DialogButtonSize, QStringLiteral("Cancel"));
    connect(cancel, &TImageEx::clicked, this, &QDialog::reject);
    buttons->addWidget(cancel);
    box->addLayout(buttons);

    connect(m_call, &TFtpBackgroundCall::Finished, this, [this] {
        Label1->hide();
        Q_EMIT WorkEnded();
    });
}

TFTPContentsForm::~TFTPContentsForm() = default;

void TFTPContentsForm::SetFolder(const QString &folderPath, const TFolderSource &source)
{
    m_folderPath = folderPath;
    m_source = source;
}

bool TFTPContentsForm::Busy() const
{
    return m_call->Busy();
}

void TFTPContentsForm::SetRunGate(TRunGate &gate)
{
    m_call->SetGate(gate);
}

void TFTPContentsForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_listed)
        return;
    m_listed = true;
    Label1->setText(ConfigMessages::PleaseWait());
    Label1->show();
    const TFolderSource source = m_source;
    const QString folder = m_folderPath;
    m_call->Start([this, source, folder]() -> TFtpBackgroundCall::Delivery {
        const QList<TFtpFolderWalk::Node> nodes = TFtpFolderWalk::ListContents(source, folder);
        return [this, nodes] {
            const QIcon folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
            const QIcon fileIcon = style()->standardIcon(QStyle::SP_FileIcon);
            for (const TFtpFolderWalk::Node &node : nodes) {
                auto *item = new QTreeWidgetItem(tvFtp, {node.Rec.FolderName});
                item->setIcon(0, node.IsFolder ? folderIcon : fileIcon);
            }
        };
    });
}

void TFTPContentsForm::done(int result)
{
    if (!m_call->DeferDone(this, result))
        QDialog::done(result);
}
