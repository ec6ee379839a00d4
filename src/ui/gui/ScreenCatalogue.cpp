#include "ui/gui/ScreenCatalogue.h"

#include "db/modMain_SQL.h"
#include "ui/gui/ModalSeam.h"
#include "ui/gui/modFormIni.h"

#include <QDialog>
#include <QWidget>

ScreenCatalogue& ScreenCatalogue::Instance()
{
    static ScreenCatalogue catalogue;
    return catalogue;
}

ScreenEntry ModalScreenEntry(const QString& name, const QString& description, ScreenGate gate,
                             const QString& menuEntry, ScreenFactory create)
{
    ScreenEntry entry;
    entry.name = name;
    entry.description = description;
    entry.modality = ScreenModality::Modal;
    entry.gate = gate;
    entry.menuEntry = menuEntry;
    entry.create = std::move(create);
    return entry;
}

void ScreenCatalogue::Register(ScreenEntry entry)
{
    const QString name = entry.name;
    Instance().m_entries.insert(name.toLower(), std::move(entry));
    Q_EMIT Instance().Registered(name);
}

namespace {
// Pickers and editors are opened by the pick operations, modally and without a gate of their own.
ScreenEntry pickOperationEntry(const QString& name)
{
    ScreenEntry entry;
    entry.name = name;
    entry.modality = ScreenModality::Modal;
    entry.gate = ScreenGate::Open;
    return entry;
}
} // namespace

void ScreenCatalogue::RegisterPicker(const QString& name, PickerFactory factory)
{
    ScreenEntry entry = pickOperationEntry(name);
    entry.picker = std::move(factory);
    Register(std::move(entry));
}

void ScreenCatalogue::RegisterEditor(const QString& name, EditorFactory factory)
{
    ScreenEntry entry = pickOperationEntry(name);
    entry.editor = std::move(factory);
    Register(std::move(entry));
}

const ScreenEntry* ScreenCatalogue::Find(const QString& name) const
{
    const auto it = m_entries.constFind(name.toLower());
    return it == m_entries.constEnd() ? nullptr : &*it;
}

const ScreenEntry* ScreenCatalogue::FindByMenuEntry(const QString& menuEntry) const
{
    if (menuEntry.isEmpty())
        return nullptr;
    for (const ScreenEntry& entry : m_entries) {
        if (entry.menuEntry == menuEntry)
            return &entry;
    }
    return nullptr;
}

QStringList ScreenCatalogue::Names() const
{
    QStringList names;
    for (const ScreenEntry& entry : m_entries)
        names << entry.name;
    names.sort(Qt::CaseInsensitive);
    return names;
}

std::unique_ptr<RecordPicker> ScreenCatalogue::CreatePicker(const QString& name) const
{
    const ScreenEntry* entry = Find(name);
    return entry && entry->picker ? entry->picker() : nullptr;
}

std::unique_ptr<RecordEditor> ScreenCatalogue::CreateEditor(const QString& name) const
{
    const ScreenEntry* entry = Find(name);
    return entry && entry->editor ? entry->editor() : nullptr;
}

bool ScreenCatalogue::Open(const QString& name, QWidget* opener)
{
    const ScreenEntry* entry = Find(name);
    if (!entry || !entry->create)
        return false;
    // Copied: the gate may run a dialog, during which a registration could move the entry.
    const ScreenEntry screen = *entry;
    if (screen.gate == ScreenGate::Authority && !PassAuthority(screen.name, screen.description, 0))
        return false;
    if (screen.modality == ScreenModality::Modal) {
        std::unique_ptr<QWidget> w(screen.create(opener));
        if (auto* dlg = qobject_cast<QDialog*>(w.get()))
            ExecModal(dlg);
        return true;
    }
    QPointer<QWidget>& open = m_open[screen.name.toLower()];
    if (!open) {
        open = screen.create(nullptr);
        if (!open)
            return false;
        open->setAttribute(Qt::WA_DeleteOnClose);
    }
    ShowForm(open);
    return true;
}

bool ScreenCatalogue::OpenFocused(const QString& name, QWidget* opener, const QString& code,
                                  const QString& label, FocusKind kind)
{
    if (QPointer<QWidget> open = m_open.value(name.toLower())) {
        open->close();
        delete open.data();
    }
    if (!Open(name, opener))
        return false;
    auto* screen = dynamic_cast<RecordFocusScreen*>(m_open.value(name.toLower()).data());
    if (!screen)
        return false;
    screen->ShowRecord(code, label, kind);
    return true;
}
