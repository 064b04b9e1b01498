#include "ui/workspace/AboutBox.h"

#include "app/ProductInfo.h"
#include "ui/widgets/ImageButton.h"
#include "ui/widgets/ResourcePictures.h"

#include <QLabel>

namespace {
constexpr int Width = 400, Height = 260, BandHeight = 34;
}

AboutBox::AboutBox(QWidget *parent)
    : SkinnedWindow(parent), m_picture(new ImageControl(this)), m_ok(new ImageButton(this)),
      m_close(new ImageButton(this))
{
    setFixedSize(Width, Height);
    setWindowTitle(QStringLiteral("About %1").arg(QLatin1String(ProductInfo::Name)));

    m_picture->setGeometry(0, 0, Width, Height);
    LoadJpegResource(m_picture, QStringLiteral("AboutBox"), QStringLiteral("JPG"));
    m_picture->setAccessibleName(tr("%1 %2").arg(QLatin1String(ProductInfo::Name),
                                                  QLatin1String(ProductInfo::InstalledVersion)));
    connect(m_picture, &ImageControl::clicked, this, &QDialog::accept);

    // The band at the top drags the box; a click anywhere else on the picture closes it.
    auto *band = new QWidget(this);
    band->setGeometry(0, 0, Width, BandHeight);
    AddDragHandle(band);

    m_ok->setGeometry(304, 220, 80, 28);
    HoverPictures(m_ok, QStringLiteral("Ok"));
    m_ok->setAccessibleName(tr("OK"));
    connect(m_ok, &ImageControl::clicked, this, &QDialog::accept);
    SetDefaultButton(m_ok);

    m_close->setGeometry(370, 8, 22, 17);
    HoverPictures(m_close, QStringLiteral("SMCLoseBtn"));
    m_close->setAccessibleName(tr("Close"));
    m_close->setToolTip(tr("Close"));
    connect(m_close, &ImageControl::clicked, this, &QDialog::reject);
    m_ok->raise();
    m_close->raise();
    m_ok->setFocus();
}
