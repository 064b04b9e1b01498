#pragma once
#include <QString>
#include <functional>

// Starts a program of the program folder without arguments and does not wait for it.
// Windows hand the caller one of these, so tests can record the start instead.
using ProgramLauncher = std::function<bool(const QString &program)>;

// The real start: a detached process in the caller's working folder. False when the
// program could not be started (missing, not executable).
bool StartProgram(const QString &program);
