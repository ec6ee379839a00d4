#pragma once

#include "masters/gui/PickerDialog.h"
#include "ui/gui/RecordScreens.h"

#include <array>

class QCheckBox;
class QFrame;

// The modal customer picker: finds customers by telephone, street number or memo and returns one with the
// number the caller is using.
class FrmCust_sel : public PickerDialog, public RecordPicker, public EditorSyncTarget
{
    Q_OBJECT
public:
    enum Col
    {
        ColTel1 = 1,
        ColTel2,
        ColTel3,
        ColTel4,
        ColAddr,
        ColMemo,
        ColCode,
        ColCount = ColCode
    };

    explicit FrmCust_sel(QWidget* parent = nullptr);
    ~FrmCust_sel() override;

    // 2 = show the picker (empty text, or a single row whose number was not chosen), 1 = the single row
    // was taken, otherwise the number of rows. extra "True" takes a row's first number as the caller's.
    int FindRecords(const QString& searchText, const QString& extra = {}) override;
    QString result() const override { return m_result; }
    QDialog* dialog() override { return this; }
    void SyncUpdateCust(RecordEditor* editor, EditorMode mode) override;

    // Runs the search for txtinput and the ticked scopes; the number of rows, -1 when the text was refused.
    int Refresh_Sheet() override;

    // The caller's number for a grid row; "" when none was chosen.
    QString ChooseTelephone(int row);
    // btnSel, Enter or a double-click in the grid.
    void SelectRecord();
    void AddRecord();
    void EditRecord();
    void DeleteRecord();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QCheckBox* chkFindFld(int index) const { return m_chkFindFld.at(size_t(index)); }
    // Runs an editor for this picker: it adds, or changes the customer with this code.
    void runEditor(EditorMode mode, const QString& code);

    QFrame* m_pnlTop = nullptr;
    std::array<QCheckBox*, 3> m_chkFindFld{};
    QPushButton* m_btnRecAdd = nullptr;
    QPushButton* m_btnRecEdit = nullptr;
    QPushButton* m_btnRecDel = nullptr;
    QString m_searched; // the searched number without "-"
    bool m_firstNumber = false;
    bool m_loadingScopes = false;
};
