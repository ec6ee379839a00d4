#pragma once

#include "masters/gui/PickerDialog.h"
#include "ui/gui/RecordScreens.h"

class QLabel;

// Modal picker over one store's menus; in multi-select mode several menus are chosen with quantities.
class FrmMenu_sel : public PickerDialog, public RecordPicker
{
    Q_OBJECT
public:
    enum Column
    {
        ColName = 1,
        ColMemo = 2,
        ColPrice = 3,
        ColQty = 4,
        ColMark = 5,
        ColCode = 6,
        ColCount = 6
    };

    explicit FrmMenu_sel(QWidget* parent = nullptr);
    ~FrmMenu_sel() override;

    void SetMultyMode() override;
    bool multyMode() const { return m_multy; }
    // extra carries the store code and the store name separated by NUL.
    int FindRecords(const QString& searchText, const QString& extra = {}) override;
    int FindRecords(const QString& searchText, const QString& storeCode, const QString& storeName);
    QString result() const override { return m_result; }
    QDialog* dialog() override { return this; }

    // Lists the store's menus whose name holds the text in txtinput; returns the number of rows (-1: text
    // refused).
    int Refresh_Sheet() override;
    // Builds the result from the marked quantities (or the active row) and closes; false with a message
    // when the list is empty.
    bool SelectRows();

    QString storeCode() const { return m_storeCode; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void markClicked(int row);
    void quantityEdited(int row);
    void toggleMark(int row);
    void markAndSelect(int row);

    QLabel* m_lblMBName = nullptr;
    QString m_storeCode;
    bool m_multy = false;
};
