#pragma once

#include "order/gui/FrmMain.h"
#include "support/Controls.h"
#include "ui/gui/RecordScreens.h"
#include "ui/gui/SpreadGrid.h"

#include <QDialog>

// Picker stand-in for the main screen's lookups: hands back whatever the test put into `next` (one match,
// taken without showing); with `next` empty it finds nobody.
class ScriptedPicker : public RecordPicker
{
public:
    static inline QString next;
    static inline QString lastSearch;
    int FindRecords(const QString& text, const QString&) override
    {
        lastSearch = text;
        return next.isEmpty() ? 0 : 1;
    }
    QString result() const override { return next; }
    QDialog* dialog() override { return &m_dialog; }
    QDialog m_dialog;
};

// Types text into a cell of the main screen's grids the way an edit does: begin, text, end with a change.
inline void TypeCell(FrmMain& w, SpreadGrid* grid, int col, int row, const QString& text)
{
    const bool master = grid == Ctl<SpreadGrid>(&w, "spMList");
    grid->SetActiveCell(col, row);
    master ? w.spMList_EditMode(col, row, 1, false) : w.spDList_EditMode(col, row, 1, false);
    grid->SetText(col, row, text);
    master ? w.spMList_EditMode(col, row, 0, true) : w.spDList_EditMode(col, row, 0, true);
}
