#include "update/HttpDownload.h"

#include <QIODevice>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>

HttpDownload::HttpDownload(QObject *parent)
    : QObject(parent), m_manager(new QNetworkAccessManager(this))
{
    m_manager->setProxy(QNetworkProxy::NoProxy);
}

HttpDownload::~HttpDownload()
{
    // No signal may reach a receiver that is going away with us.
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
    }
}

void HttpDownload::start(const QUrl &url, QIODevice *out)
{
    cancel();
    m_out = out;
    m_begun = false;
    m_received = 0;
    m_cancelled = false;
    m_error.clear();

    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader,
                      QStringLiteral("Mozilla/3.0 (compatible; Indy Library)"));
    request.setRawHeader("Accept", "text/html, */*");
    request.setTransferTimeout(m_readTimeout);
    // An update description must be the server's current one, never a cache's.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);

    m_reply = m_manager->get(request);
    connect(m_reply, &QNetworkReply::readyRead, this, &HttpDownload::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &HttpDownload::onFinished);
}

void HttpDownload::cancel()
{
    if (!m_reply)
        return;
    m_cancelled = true;
    m_reply->abort();  // emits finished at once
}

void HttpDownload::onReadyRead()
{
    if (m_reply && !writeAvailable(m_reply))
        m_reply->abort();
}

bool HttpDownload::writeAvailable(QNetworkReply *reply)
{
    // Progress follows the bytes written: Qt's own progress signal holds back reports that
    // come sooner than 100 ms after the previous one, so a transfer that stops early would
    // never show what it has.
    if (!m_begun) {
        m_begun = true;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        Q_EMIT workBegin(length.isValid() ? length.toLongLong() : -1);
    }
    const QByteArray data = reply->readAll();
    if (m_out->write(data) != data.size()) {
        m_error = tr("Cannot write the downloaded file: %1").arg(m_out->errorString());
        return false;
    }
    m_received += data.size();
    Q_EMIT work(m_received);
    return true;
}

void HttpDownload::onFinished()
{
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->deleteLater();
    if (!m_cancelled && m_error.isEmpty() && reply->bytesAvailable() > 0)
        writeAvailable(reply);
    Result result = Result::Done;
    if (m_cancelled) {
        result = Result::Cancelled;
    } else if (!m_error.isEmpty()) {
        result = Result::Failed;
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Qt ends a request that outlived its transfer time-out as "cancelled".
        m_error = tr("no reply from %1 within %2 s").arg(reply->url().host()).arg(m_readTimeout / 1000.0);
        result = Result::Failed;
    } else if (reply->error() != QNetworkReply::NoError) {
        m_error = reply->errorString();
        result = Result::Failed;
    }
    m_out = nullptr;
    Q_EMIT finished(result);
}
