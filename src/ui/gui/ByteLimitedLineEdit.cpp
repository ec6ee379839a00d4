#include "ui/gui/ByteLimitedLineEdit.h"

#include "ui/TextUtil.h"
#include "ui/gui/InputUtil.h"

ByteLimitedLineEdit::ByteLimitedLineEdit(int maxBytes, QWidget* parent) : QLineEdit(parent)
{
    setMaxBytes(maxBytes);
}

void ByteLimitedLineEdit::setMaxBytes(int maxBytes)
{
    m_maxBytes = qMax(maxBytes, 0);
    LimitByteLength(this, m_maxBytes);
}

bool ByteLimitedLineEdit::checkLength()
{
    // Pasted text can hold characters no column keeps; they are refused with the field, like its length.
    if (!CheckStorableText(text())) {
        if (isVisible() && isEnabled())
            setFocus(Qt::OtherFocusReason);
        return false;
    }
    return CheckMaxByteLength(this, m_maxBytes);
}
