#pragma once

#include "ui/Prompter.h"

// Prompter that shows real Qt message boxes, input boxes and a fading floating notice.
class WidgetPrompter : public Prompter
{
public:
    MsgAnswer message(const MsgRequest& request) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;
    void floatNotice(const QString& text) override;
};
