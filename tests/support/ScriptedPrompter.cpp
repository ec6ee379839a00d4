#include "support/ScriptedPrompter.h"

#include <QTest>

ScriptedPrompter::ScriptedPrompter()
{
    m_previous = SetPrompter(this);
    // Every test that scripts answers also checks that nothing asks the operator while other seats wait.
    m_previousBreach = SetDialogRuleBreachHandler([](const QString& what) {
        QTest::qFail(qPrintable(QStringLiteral("dialog shown inside a write transaction: ") + what), __FILE__,
                     __LINE__);
    });
}

ScriptedPrompter::~ScriptedPrompter()
{
    SetPrompter(m_previous);
    SetDialogRuleBreachHandler(m_previousBreach);
}

MsgAnswer ScriptedPrompter::message(const MsgRequest& request)
{
    m_shown.append({request, false, false});
    if (request.buttons == MsgButtons::Ok)
        return MsgAnswer::Ok;
    if (m_answers.isEmpty()) {
        ++m_unexpected;
        return request.defaultAnswer;
    }
    return m_answers.takeFirst();
}

std::optional<QString> ScriptedPrompter::input(const QString& prompt, const QString& title,
                                               const QString& defaultText)
{
    MsgRequest r;
    r.text = prompt;
    r.title = title;
    m_shown.append({r, true, false});
    if (m_inputs.isEmpty()) {
        ++m_unexpected;
        return defaultText;
    }
    const bool cancel = m_cancelNext.contains(m_inputIndex);
    ++m_inputIndex;
    const QString text = m_inputs.takeFirst();
    if (cancel)
        return std::nullopt;
    return text;
}

void ScriptedPrompter::floatNotice(const QString& text)
{
    MsgRequest r;
    r.text = text;
    m_shown.append({r, false, true});
}

QStringList ScriptedPrompter::texts() const
{
    QStringList out;
    for (const Shown& s : m_shown)
        out << s.request.text;
    return out;
}

QString ScriptedPrompter::lastText() const
{
    return m_shown.isEmpty() ? QString() : m_shown.last().request.text;
}

QString ScriptedPrompter::lastTitle() const
{
    return m_shown.isEmpty() ? QString() : m_shown.last().request.title;
}

void ScriptedPrompter::clear()
{
    m_shown.clear();
    m_unexpected = 0;
}
