#pragma once

#include <QObject>
#include <QString>

class QLineEdit;

// Keeps a telephone field to telephone texts (IsPhoneText): a changed text that is not one is refused with
// the format help when the field is left or its record saved, and the value it held before comes back.
// A value loaded from the database stays as it is while the operator leaves it alone.
class PhoneField : public QObject
{
    Q_OBJECT
public:
    // Becomes a child of the field; the field's text now is its previous value.
    explicit PhoneField(QLineEdit* field);

    // True when the field still holds its previous value or a telephone text (which becomes the previous
    // value); otherwise the refusal is shown, the previous value written back and false returned.
    bool Accept();
    // The field's current text becomes its previous value (after a record was loaded or the fields cleared).
    void Settle();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_field;
    QString m_previous;
    bool m_refusing = false;
};
