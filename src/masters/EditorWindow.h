#pragma once

#include <functional>

class QCheckBox;
class QHBoxLayout;
class QKeyEvent;
class QPushButton;
class QWidget;

// Pieces shared by the store-side editor windows.

// F2 without modifiers saves; true when the key was used.
bool HandleSaveKey(QKeyEvent* event, const std::function<void()>& save);
// Creates btnSave ("저장 F2") and then btnClose, neither pressed by Enter in the fields.
void MakeEditorButtons(QWidget* owner, QPushButton*& save, QPushButton*& close);
// The bottom row: the keep-adding tick on the left, save and close on the right.
QHBoxLayout* MakeEditorButtonRow(QCheckBox* continueAdd, QPushButton* save, QPushButton* close);
