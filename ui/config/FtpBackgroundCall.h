#pragma once
#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class QDialog;
class RunGate;

// Runs a dialog's FTP work on a thread of its own, so that the window stays responsive,
// and in turn with the engine's runs, since the FTP session is the process's: the work
// waits at the run gate while an analysis or synchronisation holds it.
// Start, Cancel and destruction belong to the interface thread.
class FtpBackgroundCall : public QObject {
    Q_OBJECT
public:
    // What the work hands back to the interface thread.
    using Delivery = std::function<void()>;

    explicit FtpBackgroundCall(QObject *parent = nullptr);
    // Gives up a call still waiting for its turn and waits for one in progress.
    ~FtpBackgroundCall() override;

    // work runs on the thread once the gate admits it; what it returns runs on this
    // object's thread, then Finished is emitted. False while a call is in progress.
    bool Start(std::function<Delivery()> work);
    // The call's delivery is not made (Finished still comes): a call still waiting for its
    // turn gives up at once, work already talking to the server finishes first.
    void Cancel();
    bool Busy() const { return m_busy; }
    // For a dialog's done(): while a call is in progress, cancels it and closes the dialog
    // with result once it has ended (true); the window stays responsive meanwhile.
    bool DeferDone(QDialog *dialog, int result);

    // Uses gate instead of the process-wide one (tests).
    void SetGate(RunGate &gate) { m_gate = &gate; }

Q_SIGNALS:
    void Finished();

private:
    void join();

    RunGate *m_gate;
    std::thread m_thread;
    std::atomic<uint8_t> m_cancel{0};
    bool m_busy = false;
    bool m_closing = false;
};
