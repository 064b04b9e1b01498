#include "ui/config/FtpBackgroundCall.h"

#include "engine/RunGate.h"

#include <QDialog>

FtpBackgroundCall::FtpBackgroundCall(QObject *parent) : QObject(parent), m_gate(&RunGate::Instance()) {}

FtpBackgroundCall::~FtpBackgroundCall()
{
    Cancel();
    // A delivery posted meanwhile is dropped with this object.
    join();
}

bool FtpBackgroundCall::Start(std::function<Delivery()> work)
{
    if (m_busy)
        return false;
    join();
    m_cancel = 0;
    m_closing = false;
    m_busy = true;
    m_thread = std::thread([this, work = std::move(work)] {
        Delivery delivery;
        {
            RunGate::Pass pass(*m_gate, &m_cancel);
            if (pass.Admitted())
                delivery = work();
        }
        QMetaObject::invokeMethod(
            this,
            [this, delivery] {
                m_busy = false;
                join();
                if (delivery && !m_cancel)
                    delivery();
                Q_EMIT Finished();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void FtpBackgroundCall::Cancel()
{
    m_cancel = 1;
}

bool FtpBackgroundCall::DeferDone(QDialog *dialog, int result)
{
    if (!m_busy)
        return false;
    if (m_closing)
        return true;  // the first answer stands
    m_closing = true;
    Cancel();
    connect(this, &FtpBackgroundCall::Finished, dialog, [dialog, result] { dialog->done(result); },
            Qt::SingleShotConnection);
    return true;
}

void FtpBackgroundCall::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
