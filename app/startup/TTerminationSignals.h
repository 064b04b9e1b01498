#pragma once
#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a Qt signal on the interface thread, so that a
// session ending or a kill closes the window the way its close box does. Install once, as
// early as possible: a signal that arrives before the event loop runs waits for it.
class TTerminationSignals : public QObject {
    Q_OBJECT

public:
    explicit TTerminationSignals(QObject *parent = nullptr);
    ~TTerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    QSocketNotifier *m_notifier = nullptr;
};
