#pragma once
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

class QIODevice;
class QNetworkAccessManager;

// One HTTP GET at a time of a URL into an open device, on the interface thread without
// blocking it: the caller hears progress and the end through signals.
class HttpDownload : public QObject {
    Q_OBJECT
public:
    enum class Result { Done, Failed, Cancelled };

    explicit HttpDownload(QObject *parent = nullptr);
    ~HttpDownload() override;

    // Longest wait for the next bytes, in ms; 0 waits as long as the server keeps the line.
    void setReadTimeout(int ms) { m_readTimeout = ms; }
    // out must be open for writing and outlive the transfer (not owned). A transfer still
    // running is cancelled first.
    void start(const QUrl &url, QIODevice *out);
    // Cuts a running transfer off; finished(Cancelled) is emitted before this returns.
    void cancel();
    bool isRunning() const { return m_reply != nullptr; }
    // Why the last transfer failed, in words.
    QString errorString() const { return m_error; }

Q_SIGNALS:
    // Once per transfer, when the first bytes arrive; -1 when the server sends no length.
    void workBegin(qint64 expectedLength);
    void work(qint64 received);
    void finished(HttpDownload::Result result);

private:
    void onReadyRead();
    // False (with m_error set) when the device took less than the reply had.
    bool writeAvailable(QNetworkReply *reply);
    void onFinished();

    QNetworkAccessManager *m_manager;
    QPointer<QNetworkReply> m_reply;
    QIODevice *m_out = nullptr;
    int m_readTimeout = 0;
    qint64 m_received = 0;
    bool m_begun = false;
    bool m_cancelled = false;
    QString m_error;
};
