#pragma once

#include <QPoint>
#include <QString>

#include <functional>
#include <memory>

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

// Contract of an editor screen that registers or changes one record.
class RecordEditor
{
public:
    virtual ~RecordEditor() = default;
    // mode 1 = new record (text prefills the search value), 2 = change the record whose code is the text.
    virtual void Init(int mode, QWidget* parentScreen, const QString& text) = 0;
    // Code + NUL + second field of the record added, "" when none was.
    virtual QString AddedRec() const = 0;
    virtual QDialog* dialog() = 0;
};

// Offered by screens that want to hear of every save an editor made for them.
class EditorSyncTarget
{
public:
    virtual ~EditorSyncTarget() = default;
    // mode 1 after an insert, 2 after an update.
    virtual void SyncUpdateCust(RecordEditor* editor, int mode) = 0;
};

// Screens are created by name so the record operations need not know the screen classes.
using PickerFactory = std::function<std::unique_ptr<RecordPicker>()>;
using EditorFactory = std::function<std::unique_ptr<RecordEditor>()>;
void RegisterPicker(const QString& name, PickerFactory factory);
void RegisterEditor(const QString& name, EditorFactory factory);
std::unique_ptr<RecordPicker> CreatePicker(const QString& name);
std::unique_ptr<RecordEditor> CreateEditor(const QString& name);

// The record separator of picker and editor results.
inline const QChar kNul = QChar(0);
