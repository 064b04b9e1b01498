#include "ui/config/TFtpBackgroundCall.h"

#include "engine/TRunGate.h"

#include <QDialog>

TFtpBackgroundCall::TFtpBackgroundCall(QObject *parent) : QObject(parent), m_gate(&TRunGate::Instance()) {}

TFtpBackgroundCall::~TFtpBackgroundCall()
{
    Cancel();
    // A delivery posted meanwhile is dropped with this object.
    join();
}

bool TFtpBackgroundCall::Start(std::function<Delivery()> work)
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
            TRunGate::Pass pass(*m_gate, &m_cancel);
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

void TFtpBackgroundCall::Cancel()
{
    m_cancel = 1;
}

bool TFtpBackgroundCall::DeferDone(QDialog *dialog, int result)
{
    if (!m_busy)
        return false;
    if (m_closing)
        return true;  // the first answer stands
    m_closing = true;
    Cancel();
    connect(this, &TFtpBackgroundCall::Finished, dialog, [dialog, result] { dialog->done(result); },
            Qt::SingleShotConnection);
    return true;
}

void TFtpBackgroundCall::join()
{
    if (m_thread.joinable())
        m_thread.join();
}
