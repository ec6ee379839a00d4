#pragma once

#include "ui/TextUtil.h" // kNul, the separator of the results

#include <QPoint>
#include <QString>

class QDialog;
class QWidget;

// Contract of a picker screen: finds records for a search text and hands back the chosen one.
class RecordPicker
{
public:
    virtual ~RecordPicker() = default;
    // Number of matching records; with exactly one the picker takes it without being shown.
    virtual int FindRecords(const QString& searchText, const QString& extra = {}) = 0;
    // Chosen record as NUL-separated text ("" when nothing was chosen).
    virtual QString result() const = 0;
    virtual void SetMultyMode() {}
    virtual QDialog* dialog() = 0;
};

// What an editor is opened for.
enum class EditorMode
{
    Add = 1,
    Edit = 2
};

// Contract of an editor screen that registers or changes one record.
class RecordEditor
{
public:
    virtual ~RecordEditor() = default;
    // Add: a new record (text prefills the search value); Edit: the record whose code is the text.
    virtual void Init(EditorMode mode, QWidget* parentScreen, const QString& text) = 0;
    // Code + NUL + second field of the record added, "" when none was.
    virtual QString AddedRec() const = 0;
    virtual QDialog* dialog() = 0;
};

// Offered by screens that want to hear of every save an editor made for them.
class EditorSyncTarget
{
public:
    virtual ~EditorSyncTarget() = default;
    // Add after an insert, Edit after an update.
    virtual void SyncUpdateCust(RecordEditor* editor, EditorMode mode) = 0;
};

// The kind of record a screen is narrowed to.
enum class FocusKind
{
    Store = 1,
    Customer = 2
};

// Offered by screens that can be opened narrowed to one store or customer (the sales report from the lists).
class RecordFocusScreen
{
public:
    virtual ~RecordFocusScreen() = default;
    // Shows the screen for the record `code`; name is what its search box shows.
    virtual void ShowRecord(const QString& code, const QString& name, FocusKind kind) = 0;
};
