#pragma once

#include "db/RecordScreens.h"
#include "ui/ListScreen.h"

// The customer list in which the operator finds, adds, changes and deletes customers.
class FrmCust_admin : public ListScreen, public EditorSyncTarget
{
    Q_OBJECT
public:
    enum Col
    {
        ColCode = 1,
        ColTel1,
        ColTel2,
        ColTel3,
        ColPost,
        ColAddr,
        ColPoints,
        ColMemo,
        ColCount = ColMemo
    };

    explicit FrmCust_admin(QWidget* parent = nullptr);
    ~FrmCust_admin() override;

    // The catalogue entry behind menu entry mnuBasic_Cust.
    static ScreenEntry Entry();

    int Search() override;
    void AddRecord() override;
    void EditRecord() override;
    void DeleteRecord() override;
    void RowDoubleClicked(int row) override;
    QString PrintTitle() const override { return QStringLiteral("고객 리스트"); }
    void SyncUpdateCust(RecordEditor* editor, EditorMode mode) override;

    // Code of the active row, "" when the list is empty.
    QString SelectedCode() const;
    // Shows the number of all customers, whatever the search found.
    void RefreshRecCount();

private:
    void runEditor(EditorMode mode, const QString& code);
};
