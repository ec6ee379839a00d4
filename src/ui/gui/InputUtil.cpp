#include "ui/gui/InputUtil.h"

#include "app/Platform.h"
#include "ui/MsgBox.h"
#include "ui/TextUtil.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QInputMethod>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>
#include <QValidator>

namespace {

// Refuses typing that makes the text longer than its byte limit.
//
// Only growth beyond the limit while the field has the focus counts as the user's: a text the program
// set (loaded from the database, possibly over the limit) must be accepted, because QLineEdit treats an
// invalid text as sticky (it stops refusing edits and no longer emits editingFinished). Such a text may
// still be shortened; CheckMaxByteLength reports it when the field is left.
class ByteLengthValidator : public QValidator
{
public:
    ByteLengthValidator(QLineEdit* edit, int maxBytes)
        : QValidator(edit), m_edit(edit), m_maxBytes(maxBytes), m_current(LenByte(edit->text()))
    {
        connect(edit, &QLineEdit::textChanged, this,
                [this](const QString& text) { m_current = LenByte(text); });
    }

    State validate(QString& input, int&) const override
    {
        const int bytes = LenByte(input);
        const bool refused = bytes > m_maxBytes && bytes > m_current && m_edit->hasFocus();
        return refused ? Invalid : Acceptable;
    }

private:
    QLineEdit* m_edit;
    int m_maxBytes;
    int m_current;
};

void selectAllIn(QWidget* w)
{
    if (auto* edit = qobject_cast<QLineEdit*>(w))
        edit->selectAll();
    else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit())
        combo->lineEdit()->selectAll();
    else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w))
        spin->selectAll();
    else if (auto* plain = qobject_cast<QPlainTextEdit*>(w))
        plain->selectAll();
    else if (auto* rich = qobject_cast<QTextEdit*>(w))
        rich->selectAll();
}

void setLatinHint(QWidget* w, bool latin)
{
    Qt::InputMethodHints hints = w->inputMethodHints();
    if (latin)
        hints |= Qt::ImhPreferLatin;
    else
        hints &= ~(Qt::ImhPreferLatin | Qt::ImhLatinOnly);
    w->setInputMethodHints(hints);
}

} // namespace

QString ControlText(const QWidget* control)
{
    if (!control)
        return {};
    if (auto* edit = qobject_cast<const QLineEdit*>(control))
        return edit->text();
    if (auto* combo = qobject_cast<const QComboBox*>(control))
        return combo->currentText();
    if (auto* plain = qobject_cast<const QPlainTextEdit*>(control))
        return plain->toPlainText();
    if (auto* rich = qobject_cast<const QTextEdit*>(control))
        return rich->toPlainText();
    if (auto* spin = qobject_cast<const QAbstractSpinBox*>(control))
        return spin->text();
    if (auto* label = qobject_cast<const QLabel*>(control))
        return label->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control))
        return button->text();
    return control->property("text").toString();
}

bool CheckRequired(QWidget* control, const QString& label, bool zeroIsEmpty)
{
    // Blanks alone are no value: a name of three spaces must not pass as entered.
    const QString text = ControlText(control).trimmed();
    if (!text.isEmpty() && !(zeroIsEmpty && text == QLatin1String("0")))
        return false;

    const QString title = QStringLiteral("필수입력");
    if (label.isEmpty())
        ShowInfo(QStringLiteral("필수 입력사항을 입력하지 않았습니다."), title);
    else
        ShowInfo(QLatin1Char('[') + label + QStringLiteral("]은(는) 필수 입력 사항입니다."), title);
    if (control && control->isVisible() && control->isEnabled())
        control->setFocus(Qt::OtherFocusReason);
    return true;
}

bool CheckMaxByteLength(QWidget* control, int maxBytes)
{
    const QString text = ControlText(control);
    if (maxBytes <= 0 || text.isEmpty() || LenByte(text) <= maxBytes)
        return true;
    ShowInfo(MaxByteLengthMessage(maxBytes));
    if (control && control->isVisible() && control->isEnabled())
        control->setFocus(Qt::OtherFocusReason);
    return false;
}

void LimitByteLength(QLineEdit* edit, int maxBytes)
{
    if (!edit)
        return;
    const QValidator* previous = edit->validator();
    edit->setValidator(maxBytes > 0 ? new ByteLengthValidator(edit, maxBytes) : nullptr);
    if (auto* own = dynamic_cast<const ByteLengthValidator*>(previous); own && own->parent() == edit)
        delete own;
}

void SetHangulMode(bool on)
{
    SetHangulModeOf(on, QApplication::focusWidget());
}

void SetHangulModeOf(bool on, QWidget* control)
{
    if (!control)
        return;
    setLatinHint(control, !on);
    // An editable combo box answers input-method queries through its line edit.
    if (auto* combo = qobject_cast<QComboBox*>(control); combo && combo->lineEdit())
        setLatinHint(combo->lineEdit(), !on);
    if (control->hasFocus())
        QGuiApplication::inputMethod()->update(Qt::ImHints);
}

void SelectAllText()
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return;
    selectAllIn(w);
    QTimer::singleShot(0, w, [guard = QPointer<QWidget>(w)]() {
        if (guard && guard->hasFocus())
            selectAllIn(guard);
    });
}

void MoveFocus(bool next)
{
    QWidget* w = QApplication::focusWidget();
    if (!w)
        return;
    // The window handles Tab itself (QWidget::event -> focusNextPrevChild), so the tab order, focus
    // proxies and hidden or disabled controls are treated exactly as for a real Tab key, while a
    // control that would take the Tab as text (a plain text edit) never sees it.
    QKeyEvent tab(QEvent::KeyPress, next ? Qt::Key_Tab : Qt::Key_Backtab,
                  next ? Qt::NoModifier : Qt::ShiftModifier);
    QCoreApplication::sendEvent(w->window(), &tab);
}

bool EnterNextField(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        MoveFocus(true);
        return true;
    case Qt::Key_Up:
        MoveFocus(false);
        return true;
    default:
        return false;
    }
}

bool EnterNextFieldLR(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Right:
        MoveFocus(true);
        return true;
    case Qt::Key_Left:
        MoveFocus(false);
        return true;
    default:
        return false;
    }
}

void CmbShowList()
{
    QWidget* w = QApplication::focusWidget();
    auto* combo = qobject_cast<QComboBox*>(w);
    if (!combo && w)
        combo = qobject_cast<QComboBox*>(w->parentWidget());
    if (combo)
        combo->showPopup();
}

int GetSelOptionIdx(const QList<QRadioButton*>& options)
{
    for (int i = 0; i < options.size(); ++i) {
        if (options.at(i) && options.at(i)->isChecked())
            return i;
    }
    return 0;
}

QUrl ShellOpenUrl(const QString& target)
{
    const QString t = target.trimmed();
    if (t.isEmpty())
        return {};
    const QFileInfo file(t);
    if (file.exists())
        return QUrl::fromLocalFile(file.absoluteFilePath());
    return QUrl::fromUserInput(t);
}

bool ShellOpen(QWidget*, const QString& target)
{
    const QUrl url = ShellOpenUrl(target);
    return url.isValid() && CurrentPlatform().OpenExternally(url);
}

bool CheckSearchText(const QString& text, int maxBytes)
{
    const QString problem = SearchTextProblem(text, maxBytes);
    if (problem.isEmpty())
        return true;
    ShowInfo(problem);
    return false;
}

bool CheckStorableText(const QString& text)
{
    const QString problem = StorableTextProblem(text);
    if (problem.isEmpty())
        return true;
    ShowInfo(problem);
    return false;
}

bool CheckTime(QString& text)
{
    QString help;
    if (ShapeTime(text, &help))
        return true;
    if (!help.isEmpty())
        ShowInfo(help);
    return false;
}

bool CheckPhoneText(const QString& text)
{
    const QString problem = PhoneTextProblem(text);
    if (problem.isEmpty())
        return true;
    ShowInfo(problem, QStringLiteral("입력오류"));
    return false;
}
