#include "engine/TimeLeft.h"

#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <cmath>

void TimeLeft::Start(int32_t totalFiles, int64_t totalBytes)
{
    *this = TimeLeft();
    m_totalFiles = totalFiles;
    m_totalBytes = totalBytes;
    m_recent.push_back(m_last);
}

void TimeLeft::Update(int32_t filesDone, int64_t bytesDone, int64_t elapsedMs)
{
    if (filesDone == m_last.Files && bytesDone == m_last.Bytes)
        return;  // nothing finished since: no new measurement
    m_last = {filesDone, bytesDone, elapsedMs};
    m_recent.push_back(m_last);
    while (m_recent.size() > 2 && m_recent[1].Ms <= elapsedMs - RollingMs)
        m_recent.pop_front();
    const double f = filesDone, b = double(bytesDone), t = double(elapsedMs);
    m_sums.n += 1;
    m_sums.f += f;
    m_sums.b += b;
    m_sums.t += t;
    m_sums.ff += f * f;
    m_sums.fb += f * b;
    m_sums.bb += b * b;
    m_sums.ft += f * t;
    m_sums.bt += b * t;
}

TimeLeft::Sums TimeLeft::Sums::Centred() const
{
    Sums c;
    if (n < 2)
        return c;
    c.n = n;
    c.ff = ff - f * f / n;
    c.fb = fb - f * b / n;
    c.bb = bb - b * b / n;
    c.ft = ft - f * t / n;
    c.bt = bt - b * t / n;
    return c;
}

TimeLeft::Cost TimeLeft::Sums::Fit() const
{
    if (ff <= 0)
        return {-1, -1};
    Cost cost;
    const double det = ff * bb - fb * fb;
    // Files and bytes that grew in step (files of one size) cannot be told apart: then the
    // cost is put on the files alone.
    const bool apart = det > 1e-9 * ff * bb;
    if (apart) {
        cost.PerFile = (ft * bb - bt * fb) / det;
        cost.PerByte = (bt * ff - ft * fb) / det;
    }
    if (!apart || cost.PerFile < 0 || cost.PerByte < 0) {
        // A cost below zero is noise: the other one alone explains the time.
        const bool byBytes = apart && cost.PerFile < 0 && bb > 0;
        cost.PerFile = byBytes ? 0 : ft / ff;
        cost.PerByte = byBytes ? bt / bb : 0;
    }
    if (cost.PerFile <= 0 && cost.PerByte <= 0)
        return {-1, -1};
    return cost;
}

TimeLeft::Cost TimeLeft::Measured() const
{
    // Files that finished together on several connections say nothing of what a file costs:
    // the fit through the start stands in until the progress spreads over time.
    const Cost afterStart = m_sums.Centred().Fit();
    if (afterStart.PerFile >= 0)
        return afterStart;
    const Cost fromStart = m_sums.Fit();
    return fromStart.PerFile >= 0 ? fromStart : Cost();
}

int64_t TimeLeft::RemainingMs(int64_t nowMs) const
{
    if (m_last.Files == 0)
        return -1;
    const double files = m_totalFiles - m_last.Files, bytes = double(m_totalBytes - m_last.Bytes);
    const Cost cost = Measured();
    const double perFile = cost.PerFile, perByte = cost.PerByte;
    const double since = nowMs > m_last.Ms ? double(nowMs - m_last.Ms) : 0;
    return std::llround(std::max(0.0, perFile * files + perByte * bytes - since));
}

void TimeLeft::Moved(int64_t bytes, int64_t elapsedMs)
{
    if (m_moved.empty() && bytes == 0) {
        // Nothing on the wire yet: connecting and logging in are not part of the speed.
        m_stillMs = elapsedMs;
        return;
    }
    if (m_moved.empty())
        m_moved.push_back({0, 0, m_stillMs});
    if (bytes == m_moved.back().Bytes)
        return;
    m_moved.push_back({0, bytes, elapsedMs});
    while (m_moved.size() > 2 && m_moved[1].Ms <= elapsedMs - RollingMs)
        m_moved.pop_front();
}

double TimeLeft::BytesPerSecond(int64_t nowMs) const
{
    return Rate(m_moved.size() >= 2 ? m_moved : m_recent, nowMs);
}

double TimeLeft::Rate(const std::deque<Sample> &samples, int64_t nowMs)
{
    if (samples.size() < 2)
        return 0;
    const Sample &last = samples.back();
    const int64_t now = std::max(nowMs, last.Ms);
    // The newest progress at or before the window's start.
    const Sample *first = &samples.front();
    for (const Sample &sample : samples)
        if (sample.Ms <= now - RollingMs)
            first = &sample;
    const int64_t ms = now - first->Ms;
    return ms > 0 ? double(last.Bytes - first->Bytes) * 1000.0 / double(ms) : 0;
}

QString TimeLeft::Text(int64_t nowMs) const
{
    const QLocale locale;
    QStringList parts;
    parts << QStringLiteral("%1 of %2 files").arg(m_last.Files).arg(m_totalFiles)
          << QStringLiteral("%1 of %2").arg(locale.formattedDataSize(m_last.Bytes, 1, QLocale::DataSizeTraditionalFormat),
                                            locale.formattedDataSize(m_totalBytes, 1, QLocale::DataSizeTraditionalFormat));
    if (const double rate = BytesPerSecond(nowMs); rate > 0)
        parts << locale.formattedDataSize(qint64(rate), 1, QLocale::DataSizeTraditionalFormat) + QStringLiteral("/s");
    const int64_t left = RemainingMs(nowMs);
    if (left == 0 && m_last.Files < m_totalFiles) {
        parts << QStringLiteral("almost done");
    } else if (left >= 0) {
        const int64_t seconds = (left + 999) / 1000;
        parts << QStringLiteral("about %1:%2 left").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    } else {
        parts << QStringLiteral("time left not known yet");
    }
    return parts.join(QStringLiteral(" \u00b7 "));
}
