#pragma once

#include "masters/gui/EditorWindow.h"
#include "ui/gui/RecordScreens.h"

#include <optional>

class ByteLimitedLineEdit;
class PhoneField;
class QLabel;
class QLineEdit;
class QPushButton;

// Modal editor that registers a new affiliated store or changes one.
class FrmMemb_save : public EditorWindow, public RecordEditor
{
    Q_OBJECT
public:
    // Indexes of htField; the unused numbers keep each field at its number.
    enum Field
    {
        FldCode = 0,
        FldName = 1,
        FldTel1 = 2,
        FldTel2 = 3,
        FldTel3 = 4,
        FldTel4 = 5,
        FldOpen = 6,
        FldClose = 7,
        FldRate = 9,
        FldPost = 10,
        FldAddr1 = 11,
        FldAddr2 = 12,
        FldMemo = 13,
        FldBase = 15,
        FldBalance = 17,
        FieldCount = 18,
    };

    explicit FrmMemb_save(QWidget* parent = nullptr);
    ~FrmMemb_save() override;

    void Init(EditorMode mode, QWidget* parentScreen, const QString& text) override;
    QString AddedRec() const override { return m_addedRec; }
    QDialog* dialog() override { return this; }

    // Fills the fields from the store whose 코드 is `code`; false when it could not be read.
    bool DispRec(const QString& code);
    // Runs the save as btnSave does; true when the store was written.
    bool Save() override;
    // Empties the fields for the next store (default hours, "0" in the number fields).
    void ClearFields() override;

    QString FieldText(int index) const;
    // The store's current balance as stored (the 현잔액 field shows it with thousands separators).
    double currentBalance() const { return m_balance; }
    double commissionRate() const;

    QLabel* lblBreakTime(int index) const { return index == 0 ? m_lblBreakOpen : m_lblBreakClose; }
    QPushButton* btnZipcode() const { return m_btnZipcode; }

    // Runs the postal-code search for the postal-code field's text.
    void SearchZipcode();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // nullptr for the unused indexes.
    QLineEdit* htField(int index) const;
    void buildUi();
    void setBalance(double balance);
    void showBreakTime(int index);
    // False, with the focus kept in the field, when a time field does not hold a time of day.
    bool acceptTime(QLineEdit* field);
    bool acceptNewCode();
    std::optional<double> numberOf(int index, const QString& label);
    bool writeRecord();
    void settlePhones();

    ByteLimitedLineEdit* m_fields[FieldCount] = {};
    PhoneField* m_phones[4] = {};
    QLabel* m_lblBreakOpen = nullptr;
    QLabel* m_lblBreakClose = nullptr;
    QPushButton* m_btnZipcode = nullptr;

    double m_loadedBase = 0;
    double m_balance = 0;
    QString m_addedRec;
    bool m_checking = false;
};
