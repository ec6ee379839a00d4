#pragma once

#include <QString>

class FrmSeeIDStanbyList;
class FrmSeeidList;
class QWidget;

// The standby list of incoming numbers and the caller-ID log, one of each for the whole run.
//
// Both windows are created hidden the first time they are needed and live until UnloadSeeIdWindows().

// Makes the windows created from now on owned by the given screen (kept above it); nullptr for none.
void SetSeeIdOwner(QWidget* owner);
FrmSeeIDStanbyList* StandbyWindow();
FrmSeeidList* CallerLog();

// Queues a number that could not be placed; the standby window comes up with it.
void AddStandbyNumber(const QString& number);
// Takes the oldest waiting number; "" when none waits.
QString PopStandbyNumber();
// Number of waiting entries, without creating the window.
int StandbyCount();
// Appends a line to the caller-ID log.
void AddMsg(const QString& text);
// Saves the standby window's place and destroys both windows (the main screen is closing).
void UnloadSeeIdWindows();
