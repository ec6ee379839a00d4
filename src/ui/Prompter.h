#pragma once

#include <QString>
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
