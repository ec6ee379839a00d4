#pragma once

#include "ui/TextUtil.h"

#include <QList>
#include <QString>

class QLineEdit;
class QRadioButton;
class QUrl;
class QWidget;

// Input helpers for the screens: required fields, byte limits, Hangul input hints, keyboard navigation
// between fields and opening files or web addresses. All act on the widget given or, where none is
// given, on the application's focus widget.

// The text a control shows: line edits, combo boxes, plain and rich text edits, spin boxes, labels and
// buttons; otherwise its "text" property.
QString ControlText(const QWidget* control);

// The check every search box makes before its text goes into a statement: a text SearchTextProblem refuses
// is refused with its message (false).
bool CheckSearchText(const QString& text, int maxBytes = kMaxSearchBytes);
// The same for a text about to be stored (StorableTextProblem).
bool CheckStorableText(const QString& text);
// ShapeTime with its format help shown for a text that is no time.
bool CheckTime(QString& text);
// The refusal of a telephone field: true for an empty text or a telephone text; otherwise the format help is
// shown (false) and the caller writes the previous value back.
bool CheckPhoneText(const QString& text);

// True when the control's text is missing (blank, or "0" when zeroIsEmpty); then tells the user which
// field is required and puts the focus into it when it can take it.
bool CheckRequired(QWidget* control, const QString& label, bool zeroIsEmpty = false);

// True when the text fits into maxBytes (a maximum of 0 or less means no limit). Otherwise shows the
// byte-length message and keeps the focus in the field.
bool CheckMaxByteLength(QWidget* control, int maxBytes);

// Makes a line edit refuse typing and pasting that would take its text beyond maxBytes (0 or less
// removes the limit). Replaces a validator set before. Text set by the program is neither refused nor
// cut; CheckMaxByteLength still catches it.
void LimitByteLength(QLineEdit* edit, int maxBytes);

// Asks the input method for Hangul (on) or Latin letters (off) in the focused control or the one given.
// Qt cannot switch the keyboard layout itself; this sets the control's input-method hint
// (Qt::ImhPreferLatin when off) and tells the input method to re-read it, which input methods that
// honour the hint follow.
void SetHangulMode(bool on);
void SetHangulModeOf(bool on, QWidget* control);

// Selects the whole text of the focused control; meant for focus-in handlers. The selection is made
// again once the event that brought the focus has been handled, so a mouse click does not undo it.
void SelectAllText();

// Enter or Down moves the focus on as Tab would, Up back as Shift+Tab would. Returns true when the key
// was one of them (the caller then swallows it).
bool EnterNextField(int key);
// The same with Enter or Right for next and Left for previous.
bool EnterNextFieldLR(int key);
// Moves the focus from the focused control to the next (or previous) one in the tab order.
void MoveFocus(bool next);

// Opens the drop-down list of the focused combo box.
void CmbShowList();

// Index of the first checked option button, 0 when none is checked (missing entries are skipped).
int GetSelOptionIdx(const QList<QRadioButton*>& options);

// The address ShellOpen opens for a file path or a web address ("www.x.kr" becomes http://www.x.kr).
QUrl ShellOpenUrl(const QString& target);
// Opens a file or web address with the program the desktop associates with it. The window is accepted
// for the callers' sake; the desktop decides where the program appears. Returns false when it could not.
bool ShellOpen(QWidget* window, const QString& target);
