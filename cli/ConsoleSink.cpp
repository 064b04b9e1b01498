#include "cli/ConsoleSink.h"

#include <cstdio>

namespace {

void WriteLine(std::FILE *stream, const QString &line)
{
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

}  // namespace

ConsoleSink::~ConsoleSink()
{
    std::lock_guard lock(m_mutex);
    ClearProgress();
}

void ConsoleSink::ClearProgress()
{
    if (!m_progressShown)
        return;
    std::fputs("\r\033[K", stderr);
    std::fflush(stderr);
    m_progressShown = false;
}

void ConsoleSink::DrawProgress(bool force)
{
    if (!m_showProgress)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!force && m_progressShown && now - m_lastDraw < std::chrono::milliseconds(100))
        return;
    m_lastDraw = now;
    QString text = m_status;
    if (m_maximum > 0)
        text += QStringLiteral(" %1/%2").arg(m_position).arg(m_maximum);
    const QByteArray bytes = text.toUtf8();
    std::fputs("\r\033[K", stderr);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
    m_progressShown = true;
}

void ConsoleSink::Status(const QString &text)
{
    std::lock_guard lock(m_mutex);
    m_status = text;
    DrawProgress();
}

void ConsoleSink::Log(const QString &line, bool error)
{
    Q_UNUSED(error);  // a terminal line has no colour of its own; stdout stays plain text
    std::lock_guard lock(m_mutex);
    ClearProgress();
    WriteLine(stdout, line);
    DrawProgress(true);
}

void ConsoleSink::ProgressRange(int32_t maximum)
{
    std::lock_guard lock(m_mutex);
    m_maximum = maximum;
    m_position = 0;
    DrawProgress();
}

void ConsoleSink::ProgressPosition(int32_t position)
{
    std::lock_guard lock(m_mutex);
    m_position = position;
    DrawProgress();
}

void ConsoleSink::Print(const QString &line)
{
    std::lock_guard lock(m_mutex);
    ClearProgress();
    WriteLine(stdout, line);
}
