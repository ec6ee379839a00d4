#include "ui/Prompter.h"

#include <QDebug>

#include <cstdio>

namespace {
HeadlessPrompter g_headless;
Prompter* g_current = nullptr;
// Function-local: the database layer installs its probe while globals are still being built.
WriteTransactionProbe& installedProbe()
{
    static WriteTransactionProbe p;
    return p;
}
DialogRuleBreachHandler g_breach;
} // namespace

MsgAnswer HeadlessPrompter::message(const MsgRequest& request)
{
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(request.title), qUtf8Printable(request.text));
    return request.defaultAnswer;
}

std::optional<QString> HeadlessPrompter::input(const QString& prompt, const QString& title,
                                               const QString& defaultText)
{
    std::fprintf(stderr, "[%s] %s\n", qUtf8Printable(title), qUtf8Printable(prompt));
    return defaultText;
}

void HeadlessPrompter::floatNotice(const QString& text)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(text));
}

Prompter& CurrentPrompter()
{
    return g_current ? *g_current : static_cast<Prompter&>(g_headless);
}

Prompter* SetPrompter(Prompter* prompter)
{
    Prompter* previous = g_current;
    g_current = prompter;
    return previous;
}

void SetWriteTransactionProbe(WriteTransactionProbe probe)
{
    installedProbe() = std::move(probe);
}

DialogRuleBreachHandler SetDialogRuleBreachHandler(DialogRuleBreachHandler handler)
{
    DialogRuleBreachHandler previous = std::move(g_breach);
    g_breach = std::move(handler);
    return previous;
}

void CheckDialogAllowed(const QString& what)
{
    if (!installedProbe() || !installedProbe()())
        return;
    if (g_breach)
        g_breach(what);
    else
        qCritical("dialog shown while a write transaction is open: %s", qUtf8Printable(what));
}
