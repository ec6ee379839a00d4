#include "order/gui/FrmSeeidList.h"

#include "ui/MsgBox.h"
#include "ui/gui/KeyboardShy.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QVBoxLayout>

FrmSeeidList::FrmSeeidList(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmSeeidList"));
    // A log to glance at: it never takes the keyboard from the window the operator types in.
    new KeyboardShy(this);
    setWindowTitle(QStringLiteral("수신번호 내역"));
    resize(360, 420);

    m_txtMsg = new QPlainTextEdit(this);
    m_txtMsg->setObjectName(QStringLiteral("txtMsg"));
    m_txtMsg->setReadOnly(true);
    m_txtMsg->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_txtMsg->clear();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_txtMsg);
}

void FrmSeeidList::AddMsg(const QString& text)
{
    // Insert at the end even when the operator left the caret elsewhere; the view follows the new line.
    QTextCursor cursor(m_txtMsg->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text + kCrLf);
    m_txtMsg->moveCursor(QTextCursor::End);
    m_txtMsg->ensureCursorVisible();
}

QString FrmSeeidList::Text() const
{
    return m_txtMsg->toPlainText();
}

void FrmSeeidList::closeEvent(QCloseEvent* event)
{
    if (isVisible()) {
        hide();
        event->ignore();
        return;
    }
    event->accept();
}

void FrmSeeidList::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
}
