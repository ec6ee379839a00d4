#pragma once

#include "masters/gui/EditorWindow.h"

class ByteLimitedLineEdit;
class QComboBox;
class QDateEdit;
class QStackedLayout;

// Modal dialog that adds one holiday (a single date or a weekly, monthly or yearly day) to a store.
class FrmHDay_save : public EditorWindow
{
    Q_OBJECT
public:
    explicit FrmHDay_save(QWidget* parent = nullptr);

    // Remembers the store the holidays are for and the screen that opened the dialog.
    void Init(const QString& storeCode, QWidget* opener);
    // Runs the save as btnSave does; true when the row was written.
    bool Save() override;
    // Empties the memo for the next holiday, the kind and day staying as they are.
    void ClearFields() override;
    // The 일자 text the current inputs would store.
    QString StoredDay() const;

    QString storeCode() const { return m_storeCode; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    ByteLimitedLineEdit* htField(int index) const { return index == 0 ? m_memo : nullptr; }
    void typeChanged(int kind);

    QComboBox* m_cmbType = nullptr;
    QComboBox* m_cmbWeek = nullptr;
    QDateEdit* m_hdDate = nullptr;
    QStackedLayout* m_dayPlace = nullptr;
    ByteLimitedLineEdit* m_memo = nullptr;

    QString m_storeCode;
};
