#pragma once

#include "masters/StoreQueries.h"
#include "masters/gui/PickerDialog.h"
#include "ui/gui/RecordScreens.h"

class QCheckBox;

// Modal picker that finds a store by code, name, address or memo and hands back its code and name.
class FrmMemb_sel : public PickerDialog, public RecordPicker, public EditorSyncTarget
{
    Q_OBJECT
public:
    enum Column
    {
        ColCode = 1,
        ColName = 2,
        ColTel = 3,
        ColAddr = 4,
        ColMemo = 5,
        ColCount = 5
    };
    static constexpr int kScopeCount = StoreQueries::kPickerScopes;

    explicit FrmMemb_sel(QWidget* parent = nullptr);
    ~FrmMemb_sel() override;

    int FindRecords(const QString& searchText, const QString& extra = {}) override;
    QString result() const override { return m_result; }
    QDialog* dialog() override { return this; }
    // The picker has no editor of its own; saves elsewhere change nothing here.
    void SyncUpdateCust(RecordEditor*, EditorMode) override {}

    // Searches for the text in txtinput with the ticked scopes; returns the number of rows (-1: text
    // refused).
    int Refresh_Sheet() override;
    // Takes the active row as the result and closes; false with a message when the list is empty.
    bool SelectActive();

private:
    QCheckBox* m_chkFindFld[kScopeCount] = {};
    bool m_loading = false;
};
