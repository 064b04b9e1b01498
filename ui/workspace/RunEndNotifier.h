#pragma once
#include "platform/gui/DesktopNotifier.h"

#include <QObject>
#include <QString>
#include <cstdint>

// The word a run that started on its own (a schedule, start-up, a period timer) gives when
// it ends while nobody watches the window: a desktop notification, as far as the options
// allow. Interface thread only.
class RunEndNotifier : public QObject {
    Q_OBJECT

public:
    explicit RunEndNotifier(QObject *parent = nullptr);

    static QString SynchronisedText(const QString &job, int32_t files);
    static QString AnalysedText(const QString &job, int32_t filesToCopy);
    static QString FailedText(const QString &job, const QString &reason);

    // Shown unless the options turned it off, or allow failures only and this one did not fail.
    void RunEnded(const QString &text, bool failed);

Q_SIGNALS:
    void Clicked();

private:
    DesktopNotifier m_notifier;
};
