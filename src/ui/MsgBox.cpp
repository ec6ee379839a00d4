#include "ui/MsgBox.h"

#include "app/AppLog.h"
#include "ui/ErrorText.h"

const QString kCrLf = QStringLiteral("\r\n");

namespace {
QString titleOr(const QString& title)
{
    return title.isEmpty() ? AppTitle() : title;
}

MsgAnswer show(MsgIcon icon, MsgButtons buttons, MsgAnswer def, const QString& text, const QString& title)
{
    MsgRequest request;
    request.icon = icon;
    request.buttons = buttons;
    request.defaultAnswer = def;
    request.text = text;
    request.title = titleOr(title);
    CheckDialogAllowed(text);
    return CurrentPrompter().message(request);
}
} // namespace

QString FormatMessage(const QString& templ, const QVariantList& values)
{
    QString text = templ;
    for (int i = 0; i < values.size(); ++i)
        text.replace(QLatin1Char('%') + QString::number(i), values.at(i).toString());
    return text;
}

void ShowInfo(const QString& message, const QString& title)
{
    show(MsgIcon::Information, MsgButtons::Ok, MsgAnswer::Ok, message, title);
}

void ShowWarning(const QString& message, const QString& title)
{
    AppLog::Write(QStringLiteral("경고"), message);
    show(MsgIcon::Warning, MsgButtons::Ok, MsgAnswer::Ok, message, title);
}

void ShowPlain(const QString& message, const QString& title)
{
    show(MsgIcon::None, MsgButtons::Ok, MsgAnswer::Ok, message, title);
}

MsgAnswer AskYesNo(const QString& message, const QString& title, bool yesIsDefault)
{
    return show(MsgIcon::Question, MsgButtons::YesNo, yesIsDefault ? MsgAnswer::Yes : MsgAnswer::No, message,
                title);
}

MsgAnswer AskYesNoCancel(const QString& message, const QString& title, MsgAnswer defaultAnswer)
{
    return show(MsgIcon::Question, MsgButtons::YesNoCancel, defaultAnswer, message, title);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    CheckDialogAllowed(prompt);
    return CurrentPrompter().input(prompt, titleOr(title), defaultText).value_or(QString());
}

void ShowNotices(const Notices& found)
{
    for (const Notices::Item& n : found.items()) {
        switch (n.kind) {
        case Notices::Kind::Warning:
            ShowWarning(n.text, n.title);
            break;
        case Notices::Kind::StdError:
            ShowStdError(n.error, n.text, n.title);
            break;
        case Notices::Kind::ErrorInfo:
            ShowErrorInfo(n.text, n.error);
            break;
        }
    }
}

bool ShowErrorInfo(const QString& context, const ErrInfo& error)
{
    return ShowEngineError(context, error, QStringLiteral("오류"));
}

QString EngineErrorText(const QString& failed, const ErrInfo& error, const QString& trailer)
{
    const ErrorMeaning meaning = DescribeError(error);
    const QString raw = error.description.trimmed();
    QString text = failed;
    if (!meaning.advice.isEmpty())
        text += (text.isEmpty() ? QString() : QStringLiteral(" ")) + meaning.advice;
    if (error.number != 0)
        text += kCrLf + QStringLiteral("오류번호 : ") + QString::number(error.number);
    text +=
        kCrLf + QStringLiteral("오류내용 : ") + (meaning.description.isEmpty() ? raw : meaning.description);
    QString tail = !trailer.isEmpty() ? trailer : meaning.description.isEmpty() ? QString() : raw;
    // A message that begins with the same Korean sentence does not say it twice.
    if (trailer.isEmpty() && !meaning.description.isEmpty() && tail.startsWith(meaning.description))
        tail = tail.mid(meaning.description.size()).trimmed();
    if (!tail.isEmpty())
        text += kCrLf + tail;
    return text;
}

namespace {
void logError(const QString& failed, const ErrInfo& error, const QString& cause)
{
    QString line = failed + QStringLiteral(" / ") + QString::number(error.number);
    if (!error.native.isEmpty())
        line += QStringLiteral(" [") + error.native + QLatin1Char(']');
    line += QStringLiteral(" / ") + error.description;
    if (!cause.isEmpty())
        line += QStringLiteral(" / ") + cause;
    AppLog::Write(QStringLiteral("오류"), line);
}
} // namespace

bool ShowEngineError(const QString& failed, const ErrInfo& error, const QString& title, const QString& cause)
{
    logError(failed, error, cause);
    show(MsgIcon::Warning, MsgButtons::Ok, MsgAnswer::Ok, EngineErrorText(failed, error),
         title.isEmpty() ? QStringLiteral("오류") : title);
    return false;
}

QString StandardErrorText(const ErrInfo& error, const QString& procedure, const QString& owner, ErrOwner kind)
{
    const char* ownerWord = kind == ErrOwner::Form          ? " of Form "
                            : kind == ErrOwner::ClassModule ? " of Class Module "
                                                            : " of Module ";
    return QStringLiteral("Error ") + QString::number(error.number) + QStringLiteral(" (") +
           error.description + QStringLiteral(") in procedure ") + procedure + QLatin1String(ownerWord) +
           owner;
}

void ShowStdError(const ErrInfo& error, const QString& procedure, const QString& owner, ErrOwner kind)
{
    const QString standard = StandardErrorText(error, procedure, owner, kind);
    const QString failed = QStringLiteral("프로그램 수행도중 오류가 발생했습니다.");
    logError(failed, error, standard);
    show(MsgIcon::Warning, MsgButtons::Ok, MsgAnswer::Ok, EngineErrorText(failed, error, standard),
         QStringLiteral("오류"));
}

void MyFloatMsg(const QString& text, int, int, int)
{
    CheckDialogAllowed(text);
    CurrentPrompter().floatNotice(text);
}
