#pragma once

#include "db/ReadQuery.h"

#include <QString>
#include <QVariantList>

#include <functional>

class QDialog;
class QEvent;
class QHBoxLayout;
class QKeyEvent;
class QLayout;
class QLineEdit;
class QPushButton;
class QWidget;
class Recordset;
class SpreadGrid;

// Pieces shared by the search-and-pick windows: a search box above a result list with select/close buttons.

// The search box, named objectName, whose key and focus events go to owner's event filter.
QLineEdit* MakePickerInput(QDialog* owner, const QString& objectName);
// The "검색어(F3)" label with input beside it, followed by a small gap.
QHBoxLayout* MakePickerSearchRow(QWidget* owner, QLineEdit* input);
// A button that Enter in the list or the search box never presses by accident.
QPushButton* MakePickerButton(QWidget* owner, const QString& caption, const QString& objectName);
// Stacks the rows, centres the window and restores its stored placement and column widths.
void FinishPickerLayout(QDialog* owner, QLayout* top, SpreadGrid* list, QLayout* bottom);

// Selects the box's text on focus and runs search on Enter; true when the event was used up.
bool HandlePickerInputEvent(QEvent* event, const std::function<void()>& search);
// After a search: into the list when rows were found, otherwise tells the operator nothing matched; a
// negative count (the text was refused with its own message) does neither.
void ShowPickerSearchOutcome(int rows, SpreadGrid* list);
// F3 (whatever the modifiers) goes back to the search box and Enter is swallowed; true when the key was used.
bool HandlePickerKey(QKeyEvent* event, QLineEdit* input);
// Once the window is up: into the list when it has rows, otherwise into fallback when given.
void FocusPickerListWhenShown(QDialog* owner, SpreadGrid* list, QLineEdit* fallback = nullptr);

// Replaces the list with the rows of read, each built by makeRow, and puts the cursor on activeCol of
// the first row; returns the number of rows.
int FillPickerList(SpreadGrid* list, const ReadQuery& read, int activeCol,
                   const std::function<QVariantList(const Recordset&)>& makeRow);
