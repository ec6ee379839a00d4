#pragma once

#include <QString>

#include <functional>
#include <optional>

// Kinds of message box the program shows; every box goes through a Prompter.
enum class MsgIcon
{
    None,
    Information,
    Warning,
    Question,
    Critical
};
enum class MsgButtons
{
    Ok,
    YesNo,
    YesNoCancel
};
enum class MsgAnswer
{
    Ok,
    Yes,
    No,
    Cancel
};

struct MsgRequest
{
    MsgIcon icon = MsgIcon::Information;
    MsgButtons buttons = MsgButtons::Ok;
    MsgAnswer defaultAnswer = MsgAnswer::Ok;
    QString text;
    QString title;
};

// The single seam between the program and the user for message boxes, input boxes and floating notices.
class Prompter
{
public:
    virtual ~Prompter() = default;
    virtual MsgAnswer message(const MsgRequest& request) = 0;
    // Empty optional when the user cancelled.
    virtual std::optional<QString> input(const QString& prompt, const QString& title,
                                         const QString& defaultText) = 0;
    virtual void floatNotice(const QString& text) = 0;
};

// Prompter used when nothing else is installed (tools, batch runs): prints to stderr and takes the default.
class HeadlessPrompter : public Prompter
{
public:
    MsgAnswer message(const MsgRequest& request) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    void floatNotice(const QString& text) override;
};

Prompter& CurrentPrompter();
// Installs a prompter (not owned); nullptr restores the headless one. Returns the previous one.
Prompter* SetPrompter(Prompter* prompter);

// The rule every box, input box, notice and modal window obeys: none is shown while this seat holds a write
// transaction on the shared database, or every other seat waits on the operator. The database layer tells
// whether one is open; a breach is reported to the handler (tests fail on it) and the dialog is still shown.
using WriteTransactionProbe = std::function<bool()>;
using DialogRuleBreachHandler = std::function<void(const QString& what)>;
void SetWriteTransactionProbe(WriteTransactionProbe probe);
// An empty handler restores the default (a line in the log); returns the previous handler.
DialogRuleBreachHandler SetDialogRuleBreachHandler(DialogRuleBreachHandler handler);
// Called by the seam before a dialog shows; what names it for the report.
void CheckDialogAllowed(const QString& what);
