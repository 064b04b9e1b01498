#include "platform/RunCancel.h"

#include <chrono>

void RunCancel::Watch(const std::atomic<uint8_t> *flag)
{
    m_seen = 0;
    m_settling = false;
    m_flag = flag;
}

bool RunCancel::Requested() const
{
    const std::atomic<uint8_t> *flag = m_flag.load();
    return flag && flag->load() != 0;
}

int64_t RunCancel::SettleLeft()
{
    const int64_t now = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now().time_since_epoch())
                            .count();
    int64_t seen = 0;
    if (m_seen.compare_exchange_strong(seen, now))
        seen = now;
    return seen + SettleMilliseconds - now;
}

QString RunCancel::SettleOverReason()
{
    return QStringLiteral("no answer within %1 s of the cancel").arg(SettleMilliseconds / 1000.0);
}
