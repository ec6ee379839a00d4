#pragma once

#include "ui/ErrInfo.h"

#include <QString>

#include <stdexcept>

// Error numbers the screens test for, kept stable so the screens' checks do not depend on the engine.
namespace DbErr {
// Generic engine failure; also a delete or insert refused by a relationship or a key.
constexpr qint64 kUnspecified = -2147467259; // 0x80004005
// The statement could not be understood (syntax, unknown table or column).
constexpr qint64 kSyntax = -2147217900; // 0x80040E14
// Another seat held the database longer than the busy timeout.
constexpr qint64 kLocked = -2147217887;
// The statement holds a NUL or half a surrogate pair and was not run: the engine would cut it short or let
// the character swallow the quote after it. Its description is a plain sentence, shown without the statement.
constexpr qint64 kUnusableText = -2147217913; // 0x80040E07
QString UnusableTextMessage();
// The server's connection broke off and was not back in time; the description tells whether the statement
// was done.
constexpr qint64 kConnectionLost = -2147467260;
} // namespace DbErr

// An engine error raised by the query helpers that leave reporting to their callers.
class DbException : public std::runtime_error
{
public:
    explicit DbException(ErrInfo info)
        : std::runtime_error(info.description.toStdString()), m_info(std::move(info))
    {
    }
    const ErrInfo& info() const { return m_info; }

private:
    ErrInfo m_info;
};
