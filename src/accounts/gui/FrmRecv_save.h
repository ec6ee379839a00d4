#pragma once

#include "masters/gui/EditorWindow.h"
#include "ui/gui/RecordScreens.h"

#include <optional>

class ByteLimitedLineEdit;
class QDateEdit;
class QLabel;

// Modal editor that records a store's payment or changes one.
class FrmRecv_save : public EditorWindow, public RecordEditor
{
    Q_OBJECT
public:
    // Indexes of htField; the unused numbers keep each field at its number.
    enum Field
    {
        FldStore = 0,
        FldDiscount = 1,
        FldBalance = 2,
        FldKey = 3,
        FldMemo = 13,
        FldAmount = 15,
        FieldCount = 16,
    };

    explicit FrmRecv_save(QWidget* parent = nullptr);
    ~FrmRecv_save() override;

    // Add: a new payment (text presets the store code); Edit: the payment whose 처리순번 is the text.
    void Init(EditorMode mode, QWidget* parentScreen, const QString& text) override;
    QString AddedRec() const override { return QString(); }
    QDialog* dialog() override { return this; }

    // Fills the fields from the payment; false when it could not be read.
    bool DispRec(qint64 key);
    bool Save() override;
    void ClearFields() override;

    // The text of htField(index); "" for the unused indexes.
    QString FieldText(int index) const;
    // The payment date as stored, "yyyy-MM-dd".
    QString DateText() const;
    // The store's name and first telephone number as shown beside its code.
    QString StoreName() const;
    QString StoreTel() const;

    // Runs the store picker for the code field's text (Enter in the code field).
    void PickStoreForField();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // nullptr for the unused indexes.
    ByteLimitedLineEdit* htField(int index) const;
    void showStore(const QString& code);
    std::optional<qint64> wonOf(int index, const QString& label);

    ByteLimitedLineEdit* m_fields[FieldCount] = {};
    QDateEdit* m_hdDate = nullptr;
    QLabel* m_lblMName = nullptr;
    QLabel* m_lblTel = nullptr;
    bool m_showingStore = false;
};
