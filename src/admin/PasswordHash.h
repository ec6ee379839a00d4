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

// Today's guidance for PBKDF2-HMAC-SHA256; through libcrypto a check takes about 0.2 s on a two-core seat.
constexpr int kIterations = 600000;
// A stored form asking for more is refused rather than allowed to stall the program.
constexpr int kMaxIterations = 2000000;

// The count new hashes are made with: kIterations unless a test lowered it (SetIterations). A stored hash
// made with fewer is moved up the next time its password is typed right (NeedsRehash).
int Iterations();
// Sets the count for new hashes (tests keep their suites quick with it); returns the previous count.
int SetIterations(int iterations);

// The stored form of a password: "" for an empty password, otherwise a new salt and its hash.
QString Make(const QString& password, LetterCase letterCase);
// The same with the salt and iteration count given (for tests of the known answer).
QString Make(const QString& password, LetterCase letterCase, const QByteArray& salt, int iterations);
// True when the text is a stored form of Make (well formed, iterations within range).
bool IsHashed(const QString& stored);
// True when a stored password should be made again from the typed one: clear text of an older database,
// or a hash with fewer iterations than new ones get. "" (no password) never.
bool NeedsRehash(const QString& stored);
// True when typed is the stored password. A stored value that is no hash is an older database's clear
// text and is compared as text; "" matches only "".
bool Matches(const QString& typed, const QString& stored, LetterCase letterCase);
// PBKDF2-HMAC-SHA256 with one output block (32 bytes), by libcrypto's PKCS5_PBKDF2_HMAC.
QByteArray Pbkdf2Sha256(const QByteArray& password, const QByteArray& salt, int iterations);

} // namespace PasswordHash
