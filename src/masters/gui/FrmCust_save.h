#pragma once

#include "masters/gui/EditorWindow.h"
#include "ui/gui/RecordScreens.h"

#include <array>

class ByteLimitedLineEdit;
class PhoneField;
class QPushButton;

// The modal editor in which one customer is registered or changed.
class FrmCust_save : public EditorWindow, public RecordEditor
{
    Q_OBJECT
public:
    // Indexes of htField.
    enum Field
    {
        FCode = 0,
        FTel1 = 2,
        FTel2 = 3,
        FTel3 = 4,
        FTel4 = 5,
        FPost = 10,
        FAddr1 = 11,
        FAddr2 = 12,
        FMemo = 13,
        FBasePoints = 15,
        FCurPoints = 17,
        FieldCount = 18
    };

    explicit FrmCust_save(QWidget* parent = nullptr);
    ~FrmCust_save() override;

    void Init(EditorMode mode, QWidget* parentScreen, const QString& text) override;
    QString AddedRec() const override { return m_added; }
    QDialog* dialog() override { return this; }

    // Loads the customer with this code; the fields keep what they had when there is none.
    void DispRec(const QString& code);
    // Runs the save (btnSave, F2); true when the record was written.
    bool Save() override;
    // Empties the fields for the next customer ("0" in the number fields).
    void ClearFields() override;
    // The postal-code search of btnZipcode.
    void SearchZipcode();

    QString FieldText(int index) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    ByteLimitedLineEdit* htField(int index) const { return m_fields.at(size_t(index)); }
    bool saveSteps();
    bool fieldKey(int index, int key);
    void setFieldText(int index, const QString& text);
    void showCurrentPoints(qint64 fallback);
    void settlePhones();

    std::array<ByteLimitedLineEdit*, FieldCount> m_fields{};
    std::array<PhoneField*, 4> m_phones{};
    QPushButton* m_btnZipcode = nullptr;
    qint64 m_loadedBase = 0;
    QString m_added;
    bool m_settingPost = false;
};
