#pragma once

class QKeyEvent;

// Alt or Ctrl held with a letter never types that letter: a mnemonic the window does not carry (Alt+C where
// no button says "&C") or a Ctrl combination the text boxes have no use for would otherwise land in the field
// under the cursor and be saved with it. Ctrl+C, X, V, Z and A keep their editing meaning; Alt+mnemonic keeps
// reaching the menu bar or the button (Qt hands shortcuts out before the key reaches a field).

// A line edit carrying this property set to true filters such keys itself.
inline constexpr char kOwnStrayKeysProperty[] = "zkOwnStrayKeys";

// True for a key press that must not reach a text field: Alt with a letter or any other printable key, Ctrl
// with a letter other than C, X, V, Z and A.
bool IsStrayLetterKey(const QKeyEvent& event);

// Makes every editable text field of the application (line edits, editable combo boxes, spin and date boxes,
// text edits) swallow such keys; once per application. The grid's cell editor does the same itself, after
// its screen has seen the key.
void InstallStrayKeyGuard();
