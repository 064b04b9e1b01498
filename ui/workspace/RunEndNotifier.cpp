#include "ui/workspace/RunEndNotifier.h"

#include "app/Settings.h"

namespace {
QString Files(int32_t count)
{
    return count == 1 ? QStringLiteral("1 file") : QStringLiteral("%1 files").arg(count);
}
}  // namespace

RunEndNotifier::RunEndNotifier(QObject *parent) : QObject(parent)
{
    connect(&m_notifier, &DesktopNotifier::Clicked, this, &RunEndNotifier::Clicked);
}

QString RunEndNotifier::SynchronisedText(const QString &job, int32_t files)
{
    return QStringLiteral("Corvane: %1 synchronised, %2").arg(job, Files(files));
}

QString RunEndNotifier::AnalysedText(const QString &job, int32_t filesToCopy)
{
    return QStringLiteral("Corvane: %1 analysed, %2 to copy").arg(job, Files(filesToCopy));
}

QString RunEndNotifier::FailedText(const QString &job, const QString &reason)
{
    return QStringLiteral("Corvane: %1 failed: %2").arg(job, reason);
}

void RunEndNotifier::RunEnded(const QString &text, bool failed)
{
    // Read at each end: the options may have changed since the run started.
    const RunEndNotice choice = ReadRunEndNotice();
    if (choice == RunEndNotice::Off || (choice == RunEndNotice::FailuresOnly && !failed))
        return;
    m_notifier.Show(text, QString());
}
