#pragma once

#include <QByteArray>
#include <QString>

// Passwords as the database keeps them: a salted, slow PBKDF2-HMAC-SHA256 hash in a self-describing text
// "pbkdf2-sha256$<iterations>$<salt>$<hash>" (salt and hash in base64), "" for no password at all.
namespace PasswordHash {

// The administrator password is typed without regard to letter case, the login password exactly.
enum class LetterCase
{
    Exact,
    Ignored,
};

// Enough that a guess costs tens of milliseconds, little enough that a check stays well under 0.2 s.
constexpr int kIterations = 60000;
// A stored form asking for more is refused rather than allowed to stall the program.
constexpr int kMaxIterations = 2000000;

// The stored form of a password: "" for an empty password, otherwise a new salt and its hash.
QString Make(const QString& password, LetterCase letterCase);
// The same with the salt and iteration count given (for tests of the known answer).
QString Make(const QString& password, LetterCase letterCase, const QByteArray& salt, int iterations);
// True when the text is a stored form of Make (well formed, iterations within range).
bool IsHashed(const QString& stored);
// True when typed is the stored password. A stored value that is no hash is an older database's clear
// text and is compared as text; "" matches only "".
bool Matches(const QString& typed, const QString& stored, LetterCase letterCase);
// PBKDF2-HMAC-SHA256 with one output block (32 bytes).
QByteArray Pbkdf2Sha256(const QByteArray& password, const QByteArray& salt, int iterations);

} // namespace PasswordHash
