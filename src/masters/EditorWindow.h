#pragma once

#include <functional>

class QKeyEvent;

// Pieces shared by the store-side editor windows.

// F2 without modifiers saves; true when the key was used.
bool HandleSaveKey(QKeyEvent* event, const std::function<void()>& save);
