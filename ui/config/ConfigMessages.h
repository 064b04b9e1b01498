#pragma once
#include <QString>

class QWidget;

// Texts and message boxes shared by the job editor and the folder choosers.
namespace ConfigMessages {

// The caption of every message box of the program.
QString Caption();
// An information box with the program's caption and an OK button.
void Inform(QWidget *parent, const QString &text);

// Shown while a chooser talks to the server or waits for a run that uses it.
QString PleaseWait();
// Refusal to change a job whose analysis or synchronisation is running or waiting.
QString JobRunning();

}  // namespace ConfigMessages
