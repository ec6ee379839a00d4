#include "ui/ByteLimitedLineEdit.h"

#include "ui/InputUtil.h"

ByteLimitedLineEdit::ByteLimitedLineEdit(int maxBytes, QWidget* parent)
    : QLineEdit(parent)
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
    return CheckMaxByteLength(this, m_maxBytes);
}
