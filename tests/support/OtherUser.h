#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <optional>

// A second operator's account for a test: a user id and a group id no account of the machine has, under
// which the test program itself runs again (setpriv), as another user's seat or tool would. Making one
// needs root and setpriv; a test that needs it skips without them, and fails under CI.
class OtherUser
{
public:
    // The account, or empty with *why.
    static std::optional<OtherUser> Make(QString* why);

    uint uid() const { return m_uid; }
    uint gid() const { return m_gid; }
    // Gives path (and everything below it) to this user and its group.
    bool own(const QString& path) const;
    // Gives path (and everything below it) the group alone, leaving the owner.
    bool group(const QString& path) const;
    // Starts this test program with args as this user (its group its only one), with HOME set to home.
    void start(QProcess& process, const QStringList& args, const QString& home) const;

private:
    uint m_uid = 0;
    uint m_gid = 0;
    QString m_program;
};

// The line-by-line conversation with a child started through OtherUser (or as this user): a line written,
// the next line read back; "" when the child ended.
QString Converse(QProcess& child, const QString& line = {});
