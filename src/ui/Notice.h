#pragma once

#include "ui/ErrInfo.h"

#include <QString>

#include <vector>

extern const QString kCrLf; // "\r\n" as the messages write it

// What a core step found for the operator, in the order it found it; the screen that ran the step shows it
// (ShowNotices in ui/MsgBox.h), so core code decides and never opens a box itself.
class Notices
{
public:
    enum class Kind
    {
        Warning,   // a warning box: text under title
        StdError,  // the standard error box of a procedure of a module
        ErrorInfo, // the error box of a failed step: text says what failed
    };
    struct Item
    {
        Kind kind = Kind::Warning;
        QString text;
        QString title;
        ErrInfo error = {};
    };

    void warning(const QString& text, const QString& title)
    {
        m_items.push_back({Kind::Warning, text, title});
    }
    // procedure and owner (the module) name where the error arose, as the standard error box tells them.
    void stdError(const ErrInfo& error, const QString& procedure, const QString& owner)
    {
        m_items.push_back({Kind::StdError, procedure, owner, error});
    }
    void errorInfo(const QString& failed, const ErrInfo& error)
    {
        m_items.push_back({Kind::ErrorInfo, failed, {}, error});
    }
    bool empty() const { return m_items.empty(); }
    const std::vector<Item>& items() const { return m_items; }

private:
    std::vector<Item> m_items;
};
