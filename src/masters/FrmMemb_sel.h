#pragma once

#include "db/RecordScreens.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class SpreadGrid;

// Modal picker that finds a store by code, name, address or memo and hands back its code and name.
class FrmMemb_sel : public QDialog, public RecordPicker, public EditorSyncTarget
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
    static constexpr int kScopeCount = 4;

    explicit FrmMemb_sel(QWidget* parent = nullptr);
    ~FrmMemb_sel() override;

    int FindRecords(const QString& searchText, const QString& extra = {}) override;
    QString result() const override { return m_result; }
    QDialog* dialog() override { return this; }
    // The picker has no editor of its own; saves elsewhere change nothing here.
    void SyncUpdateCust(RecordEditor*, int) override {}

    // Searches for the text in txtinput with the ticked scopes; returns the number of rows.
    int Refresh_Sheet();
    // Takes the active row as the result and closes; false with a message when the list is empty.
    bool SelectActive();

    SpreadGrid* spList() const { return m_spList; }
    QLineEdit* txtinput() const { return m_txtinput; }
    QCheckBox* chkFindFld(int index) const;
    QPushButton* btnSel() const { return m_btnSel; }
    QPushButton* btnClose() const { return m_btnClose; }
    // The statement of the last search.
    QString lastQuery() const { return m_lastQuery; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void done(int r) override;

private:
    SpreadGrid* m_spList = nullptr;
    QLineEdit* m_txtinput = nullptr;
    QCheckBox* m_chkFindFld[kScopeCount] = {};
    QPushButton* m_btnSel = nullptr;
    QPushButton* m_btnClose = nullptr;

    QString m_result;
    QString m_lastQuery;
    bool m_loading = false;
};
