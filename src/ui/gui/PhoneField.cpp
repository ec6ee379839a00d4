#include "ui/gui/PhoneField.h"

#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QTimer>

PhoneField::PhoneField(QLineEdit* field) : QObject(field), m_field(field), m_previous(field->text())
{
    field->installEventFilter(this);
}

bool PhoneField::Accept()
{
    const QString text = m_field->text();
    if (text == m_previous || m_refusing)
        return true;
    m_refusing = true;
    const bool ok = CheckPhoneText(text);
    m_refusing = false;
    if (ok)
        m_previous = text;
    else
        m_field->setText(m_previous);
    return ok;
}

void PhoneField::Settle()
{
    m_previous = m_field->text();
}

bool PhoneField::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_field && event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // A message box, a menu or another application taking the focus is no leaving of the field.
        // After a refusal the operator goes on in the field, which holds its previous value again.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !Accept())
            QTimer::singleShot(0, m_field, [field = m_field] { field->setFocus(Qt::OtherFocusReason); });
    }
    return QObject::eventFilter(watched, event);
}
