#pragma once
#include <QProcess>
#include <QStringList>
#include <memory>

// A test server written in Python (tests/support/*.py) that prints "PORT <n>" once it
// listens and ends when its stdin closes, so it never outlives the test.
class ScriptServer {
public:
    ScriptServer() = default;
    ~ScriptServer() { stop(); }
    ScriptServer(const ScriptServer &) = delete;
    ScriptServer &operator=(const ScriptServer &) = delete;

    // script: a file name in tests/support. Returns the port, 0 when the server did not start.
    int start(const QString &script, const QStringList &args);
    void stop();
    bool isRunning() const;

private:
    std::unique_ptr<QProcess> m_process;
};
