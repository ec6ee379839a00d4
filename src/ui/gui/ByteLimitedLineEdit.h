#pragma once

#include <QLineEdit>

// Line edit whose text may not grow beyond a number of bytes of the Korean code page (Hangul counts 2).
class ByteLimitedLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit ByteLimitedLineEdit(int maxBytes = 0, QWidget* parent = nullptr);

    // 0 or less: no limit.
    void setMaxBytes(int maxBytes);
    int maxBytes() const { return m_maxBytes; }

    // Shows the byte-length message and keeps the focus here when the text is too long (text set by
    // the program is not cut) or holds a character no column keeps (NUL, half a surrogate pair); true
    // when it fits.
    bool checkLength();

private:
    int m_maxBytes = 0;
};
