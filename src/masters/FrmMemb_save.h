#pragma once

#include "db/RecordScreens.h"

#include <QDialog>
#include <QPointer>

#include <optional>

class ByteLimitedLineEdit;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Modal editor that registers a new affiliated store or changes one.
class FrmMemb_save : public QDialog, public RecordEditor
{
    Q_OBJECT
public:
    // Indexes of htField; the gaps are the original layout's.
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

    void Init(int mode, QWidget* parentScreen, const QString& text) override;
    QString AddedRec() const override { return m_addedRec; }
    QDialog* dialog() override { return this; }

    // Fills the fields from the store whose 코드 is `code`; false when it could not be read.
    bool DispRec(const QString& code);
    // Runs the save as btnSave does; true when the store was written.
    bool Save();

    int mode() const { return m_mode; }
    // nullptr for the unused indexes.
    QLineEdit* htField(int index) const;
    QString fieldText(int index) const;
    // The store's current balance as stored (the 현잔액 field shows it with thousands separators).
    double currentBalance() const { return m_balance; }
    double commissionRate() const;

    QLabel* lblBreakTime(int index) const { return index == 0 ? m_lblBreakOpen : m_lblBreakClose; }
    QCheckBox* chkContinueAdd() const { return m_chkContinueAdd; }
    QPushButton* btnSave() const { return m_btnSave; }
    QPushButton* btnClose() const { return m_btnClose; }
    QPushButton* btnZipcode() const { return m_btnZipcode; }

    // Runs the postal-code search for the postal-code field's text.
    void SearchZipcode();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildUi();
    void clearFields();
    void setBalance(double balance);
    void showBreakTime(int index);
    // False, with the focus kept in the field, when a time field does not hold a time of day.
    bool acceptTime(QLineEdit* field);
    bool acceptNewCode();
    bool fieldsFitLimits();
    std::optional<double> numberOf(int index, const QString& label);
    bool writeRecord();

    ByteLimitedLineEdit* m_fields[FieldCount] = {};
    QLabel* m_lblBreakOpen = nullptr;
    QLabel* m_lblBreakClose = nullptr;
    QCheckBox* m_chkContinueAdd = nullptr;
    QPushButton* m_btnSave = nullptr;
    QPushButton* m_btnClose = nullptr;
    QPushButton* m_btnZipcode = nullptr;

    int m_mode = 1;
    QPointer<QWidget> m_parentScreen;
    double m_loadedBase = 0;
    double m_balance = 0;
    QString m_addedRec;
    bool m_checking = false;
};
