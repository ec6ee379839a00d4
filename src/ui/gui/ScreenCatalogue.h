#pragma once

#include "ui/gui/RecordScreens.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QWidget;

// How a window screen is shown when it is opened.
enum class ScreenModality
{
    // Runs as a dialog over its opener and is gone when it closes.
    Modal,
    // One copy at a time; opening it again brings that copy to the front.
    Modeless,
};

// What a screen asks before it opens.
enum class ScreenGate
{
    // The permission table decides (PassAuthority with the screen's name and description).
    Authority,
    // Nothing; the screen opens for everyone.
    Open,
};

using ScreenFactory = std::function<QWidget*(QWidget* parent)>;
using PickerFactory = std::function<std::unique_ptr<RecordPicker>()>;
using EditorFactory = std::function<std::unique_ptr<RecordEditor>()>;

// One screen as the catalogue knows it; a window screen has `create`, a picker or editor its factory.
struct ScreenEntry
{
    QString name;
    // Caption of the screen in the permission table.
    QString description;
    ScreenModality modality = ScreenModality::Modeless;
    ScreenGate gate = ScreenGate::Authority;
    // objectName of the main window's menu entry that opens the screen ("" = none).
    QString menuEntry;
    ScreenFactory create;
    PickerFactory picker;
    EditorFactory editor;
};

// A modal screen opened from menuEntry of the main window, behind `gate`.
ScreenEntry ModalScreenEntry(const QString& name, const QString& description, ScreenGate gate,
                             const QString& menuEntry, ScreenFactory create);

// Every screen of the program by name (letter case ignored), so callers open screens they do not know.
class ScreenCatalogue : public QObject
{
    Q_OBJECT
public:
    static ScreenCatalogue& Instance();

    // A later registration under the same name replaces the earlier one.
    static void Register(ScreenEntry entry);
    static void RegisterPicker(const QString& name, PickerFactory factory);
    static void RegisterEditor(const QString& name, EditorFactory factory);

    // nullptr when no screen has the name.
    const ScreenEntry* Find(const QString& name) const;
    // The screen a menu entry opens, nullptr when none registered it.
    const ScreenEntry* FindByMenuEntry(const QString& menuEntry) const;
    QStringList Names() const;

    std::unique_ptr<RecordPicker> CreatePicker(const QString& name) const;
    std::unique_ptr<RecordEditor> CreateEditor(const QString& name) const;
    // Opens a window screen after its gate; false when it is unknown, refused or could not be made.
    bool Open(const QString& name, QWidget* opener);
    // Opens a fresh copy of a modeless screen (an open one, which may be narrowed or sorted otherwise, is
    // closed first) narrowed to one record through RecordFocusScreen; false when it could not be opened.
    bool OpenFocused(const QString& name, QWidget* opener, const QString& code, const QString& label,
                     FocusKind kind);

Q_SIGNALS:
    void Registered(const QString& name);

private:
    ScreenCatalogue() = default;

    QHash<QString, ScreenEntry> m_entries;
    QHash<QString, QPointer<QWidget>> m_open;
};
