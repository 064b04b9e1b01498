#pragma once
#include <QString>

// A new job's name becomes the name of its state files and of its folder of saved copies,
// and is kept in the task list file: besides the engine's file-name rule it must hold more
// than blanks and only characters an XML document can hold.
bool IsAcceptableJobName(const QString &name);
// The editor's message for a name refused by IsAcceptableJobName.
QString JobNameRefusedMessage();
