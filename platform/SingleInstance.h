#pragma once
#include <QObject>
#include <QString>

class QLocalServer;

// One running program per program folder. Start() either hands this start over to the
// instance already running from the same folder (which is told through HandOverReceived)
// or makes this process that instance. A running instance that does not answer within
// the time given (closing, or hung) is replaced, so a start never ends with nothing done.
// Lives on the interface thread; HandOverReceived is emitted from its event loop.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Outcome {
        HandedOver,  // the running instance took over: this process should end
        Listening,   // this process is the instance now
        Alone        // no instance to hand over to and none could be set up: run anyway
    };

    explicit SingleInstance(const QString &programFolder, QObject *parent = nullptr);
    ~SingleInstance() override;

    Outcome Start(int answerTimeoutMs = 5000);
    QString ServerName() const { return m_name; }

    static QString ServerNameOf(const QString &programFolder);

Q_SIGNALS:
    // Another start of the program from this folder ended in favour of this one.
    void HandOverReceived();

private:
    enum class Answer { Acknowledged, NoServer, NoAnswer };
    Answer TryHandOver(int timeoutMs) const;
    bool Listen();
    void OnNewConnection();

    QString m_name;
    QLocalServer *m_server = nullptr;  // owned through QObject parenting
};
