#include "update/UpdateCheck.h"

#include "app/ExecutableFolder.h"
#include "app/ProductInfo.h"
#include "app/UpdateSettings.h"
#include "update/HttpDownload.h"
#include "update/UpdateIni.h"
#include "update/VersionCompare.h"

#include <QApplication>
#include <QMessageBox>
#include <QSaveFile>

namespace {

const QString Caption = QStringLiteral("Corvane");

}  // namespace

UpdateCheck::UpdateCheck(QObject *parent)
    : UpdateCheck(ExecutableFolder(),
                  Hooks{StartProgram,
                [] {
                    // Closing the windows normally lets the main window save the task list.
                    QMetaObject::invokeMethod(qApp, &QApplication::closeAllWindows,
                                              Qt::QueuedConnection);
                }},
          parent)
{
}

UpdateCheck::UpdateCheck(const QString &programFolder, Hooks hooks, QObject *parent)
    : QObject(parent), m_folder(programFolder), m_hooks(std::move(hooks)),
      m_http(new HttpDownload(this))
{
    if (!m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
    connect(m_http, &HttpDownload::finished, this, &UpdateCheck::onDownloadFinished);
}

UpdateCheck::~UpdateCheck()
{
    if (m_waitCursor)
        QApplication::restoreOverrideCursor();
}

QString UpdateCheck::GetInstalledVersion()
{
    QString version = ReadInstalledVersion().value_or(QString());
    if (version.isEmpty()) {
        version = QString::fromLatin1(ProductInfo::InstalledVersion);
        WriteInstalledVersion(version);
    }
    return version;
}

void UpdateCheck::CheckForUpdate(bool interactive)
{
    if (interactive && !m_waitCursor && m_file) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_waitCursor = true;
    }
    if (m_checking) {
        m_interactive = m_interactive || interactive;
        return;
    }
    m_checking = true;
    m_interactive = interactive;

    const QString folderUrl = ReadUpdateFolderURL();
    if (folderUrl.isEmpty()) {
        // No built-in host: without an address there is nothing to ask.
        if (m_interactive)
            ShowMessage(tr("No update address is set, so Corvane cannot look for a new version."
                           "\nSet \"UpdateURL\" to the web folder that holds \"%1\".")
                            .arg(QLatin1String(ProductInfo::UpdateDescription)));
        EndCheck();
        return;
    }
    const QUrl url(folderUrl + QLatin1String(ProductInfo::UpdateDescription));
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        if (m_interactive)
            ShowMessage(tr("The update address \"%1\" is not an http or https address.").arg(folderUrl));
        EndCheck();
        return;
    }
    DownloadFile(url, m_folder + QLatin1String(ProductInfo::UpdateDescription));
}

void UpdateCheck::DownloadFile(const QUrl &url, const QString &localPath)
{
    m_file = std::make_unique<QSaveFile>(localPath);
    if (!m_file->open(QIODevice::WriteOnly)) {
        const QString why = m_file->errorString();
        m_file.reset();
        if (m_interactive)
            ShowMessage(tr("Cannot write \"%1\": %2").arg(localPath, why));
        EndCheck();
        return;
    }
    if (m_interactive && !m_waitCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_waitCursor = true;
    }
    m_http->setReadTimeout(m_readTimeout);
    m_http->start(url, m_file.get());
}

void UpdateCheck::onDownloadFinished(HttpDownload::Result result)
{
    // The previous copy stays until the whole new body is there.
    QString failure;
    if (result != HttpDownload::Result::Done)
        failure = m_http->errorString();
    else if (!m_file->commit())
        failure = tr("\"%1\" could not be written: %2").arg(m_file->fileName(), m_file->errorString());
    m_file.reset();
    if (m_waitCursor) {
        QApplication::restoreOverrideCursor();
        m_waitCursor = false;
    }
    if (!failure.isNull()) {
        if (m_interactive)
            ShowMessage(tr("Corvane could not check for a new version: %1").arg(failure));
        EndCheck();
        return;
    }
    const QString path = m_folder + QLatin1String(ProductInfo::UpdateDescription);
    const std::optional<UpdateIni> ini = UpdateIni::Load(path);
    const QString installed = GetInstalledVersion();
    if (!ini) {
        if (m_interactive)
            ShowMessage(tr("Corvane could not check for a new version: the update description \"%1\" "
                           "could not be read.")
                            .arg(path));
    } else if (IsNewerVersion(ini->Ver, installed)) {
        OfferUpdate(ini->Ver);
    } else if (m_interactive) {
        ShowMessage(tr("Corvane is up to date (version %1).").arg(installed));
    }
    EndCheck();
}

void UpdateCheck::OfferUpdate(const QString &version)
{
    QMessageBox box(QMessageBox::Information, Caption,
                    tr("Corvane %1 is available. Would you like to update now?").arg(version),
                    QMessageBox::Yes | QMessageBox::No, m_dialogParent);
    if (box.exec() != QMessageBox::Yes)
        return;
    const QString updater = m_folder + QLatin1String(ProductInfo::UpdaterProgram);
    if (!m_hooks.launch(updater)) {
        QMessageBox::critical(m_dialogParent, Caption,
                              tr("Cannot start the updater \"%1\".").arg(updater));
        return;
    }
    if (m_hooks.quit)
        m_hooks.quit();
}

void UpdateCheck::ShowMessage(const QString &text)
{
    QMessageBox box(QMessageBox::Information, Caption, text, QMessageBox::Ok, m_dialogParent);
    box.exec();
}

void UpdateCheck::EndCheck()
{
    m_checking = false;
    m_interactive = false;
    Q_EMIT checkFinished();
}
