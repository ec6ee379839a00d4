#include "masters/gui/PickerDialog.h"

#include "masters/gui/PickerWindow.h"
#include "ui/gui/SpreadGrid.h"
#include "ui/gui/modFormIni.h"

#include <QKeyEvent>
#include <QLineEdit>

PickerDialog::PickerDialog(QWidget* parent) : QDialog(parent) {}

PickerDialog::~PickerDialog() = default;

bool PickerDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_txtinput && HandlePickerInputEvent(event, [this] { SearchFromInput(); }))
        return true;
    return QDialog::eventFilter(watched, event);
}

void PickerDialog::SearchFromInput()
{
    ShowPickerSearchOutcome(Refresh_Sheet(), m_spList);
}

void PickerDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F3 && event->modifiers() == Qt::NoModifier)
        m_txtinput->setFocus();
    else
        QDialog::keyPressEvent(event);
}

void PickerDialog::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (m_focusListOnActivation && event->type() == QEvent::ActivationChange && isActiveWindow() &&
        m_spList->MaxRows() > 0)
        m_spList->setFocus();
}

void PickerDialog::done(int r)
{
    if (r != QDialog::Accepted)
        m_result.clear();
    SaveFormIni(this);
    QDialog::done(r);
}
