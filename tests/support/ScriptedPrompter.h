#pragma once

#include "ui/Prompter.h"

#include <QList>
#include <QString>
#include <QStringList>

// Prompter for tests: records every message shown and answers questions from a script.
//
// Installed on construction, restored on destruction. A question or input box with no scripted answer
// left is recorded as unexpected and answered with its default, so a test can assert nothing surprised it.
class ScriptedPrompter : public Prompter
{
public:
    struct Shown
    {
        MsgRequest request;
        bool isInput = false;
        bool isNotice = false;
    };

    ScriptedPrompter();
    ~ScriptedPrompter() override;

    void answer(MsgAnswer a) { m_answers.append(a); }
    void answerInput(const QString& text) { m_inputs.append(text); }
    void cancelInput()
    {
        m_inputs.append(QString());
        m_cancelNext.append(m_inputs.size() - 1);
    }

    MsgAnswer message(const MsgRequest& request) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    void floatNotice(const QString& text) override;

    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    QString lastText() const;
    QString lastTitle() const;
    int count() const { return m_shown.size(); }
    int unexpected() const { return m_unexpected; }
    int answersLeft() const { return m_answers.size() + m_inputs.size(); }
    void clear();

private:
    QList<Shown> m_shown;
    QList<MsgAnswer> m_answers;
    QStringList m_inputs;
    QList<int> m_cancelNext;
    int m_inputIndex = 0;
    int m_unexpected = 0;
    Prompter* m_previous = nullptr;
    DialogRuleBreachHandler m_previousBreach;
};
