#pragma once

#include "app/Globals.h" // AppTitle
#include "ui/ErrInfo.h"
#include "ui/Notice.h"
#include "ui/Prompter.h"

#include <QString>
#include <QStringList>
#include <QVariant>

// Message helpers every screen uses; an empty title means the program's title.

QString FormatMessage(const QString& templ, const QVariantList& values);

void ShowInfo(const QString& message, const QString& title = {});
void ShowWarning(const QString& message, const QString& title = {});
// Yes/No with the question icon; Yes is the default button when yesIsDefault.
MsgAnswer AskYesNo(const QString& message, const QString& title = {}, bool yesIsDefault = false);
// Yes/No/Cancel; defaultAnswer picks the default button (the button the operator's Enter presses).
MsgAnswer AskYesNoCancel(const QString& message, const QString& title = {},
                         MsgAnswer defaultAnswer = MsgAnswer::Yes);
// Plain OK box without icon.
void ShowPlain(const QString& message, const QString& title = {});
// Input box; returns "" when cancelled, so callers need not tell a cancel from an empty answer.
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});

// Korean error box titled "오류" (ShowEngineError with the context as what failed); always returns false.
bool ShowErrorInfo(const QString& context, const ErrInfo& error);

// The box of an engine, archive or system error. Its first line is `failed` (a Korean sentence on what
// failed) followed by what to do; "오류번호 : " (unless the number is 0) and "오류내용 : " follow, the
// description in Korean where the error is known (DescribeError), then the error's own text. The log gets
// all of it and `cause` (the statement, the procedure) in full. Always returns false.
bool ShowEngineError(const QString& failed, const ErrInfo& error, const QString& title = {},
                     const QString& cause = {});
// The text of that box; `trailer` (when given) takes the place of the error's own text at the end.
QString EngineErrorText(const QString& failed, const ErrInfo& error, const QString& trailer = {});

enum class ErrOwner
{
    Module,
    Form,
    ClassModule
};
QString StandardErrorText(const ErrInfo& error, const QString& procedure, const QString& owner,
                          ErrOwner kind = ErrOwner::Module);
// The Korean error box (EngineErrorText) ending with "Error n (desc) in procedure p of Module m".
void ShowStdError(const ErrInfo& error, const QString& procedure, const QString& owner,
                  ErrOwner kind = ErrOwner::Module);

// Shows what a core step found, in order.
void ShowNotices(const Notices& found);
// Collects what a step finds and shows it when the statement that ran the step ends:
// `if (!InitApp(ShowFound()))`.
class ShowFound
{
public:
    ShowFound() = default;
    ShowFound(const ShowFound&) = delete;
    ShowFound& operator=(const ShowFound&) = delete;
    ~ShowFound() { ShowNotices(m_found); }
    operator Notices&() { return m_found; }

private:
    Notices m_found;
};

// Short-lived floating notice; the display, mode and colour arguments are accepted and
// ignored.
void MyFloatMsg(const QString& text, int display = 500, int mode = 1, int backColor = 0);
