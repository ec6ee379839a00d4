#include "admin/PasswordHash.h"

#include <QRandomGenerator>
#include <QStringList>

#include <openssl/evp.h>

#include <algorithm>
#include <atomic>
#include <optional>

namespace PasswordHash {
namespace {
const QString kScheme = QStringLiteral("pbkdf2-sha256");
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;
std::atomic<int> g_iterations{kIterations};

QByteArray keyOf(const QString& password, LetterCase letterCase)
{
    return (letterCase == LetterCase::Ignored ? password.toCaseFolded() : password).toUtf8();
}

// Compares without stopping at the first difference, so the time taken tells nothing about the hash.
bool sameBytes(const QByteArray& a, const QByteArray& b)
{
    if (a.size() != b.size())
        return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        diff |= static_cast<unsigned char>(a[i] ^ b[i]);
    return diff == 0;
}

struct Parsed
{
    int iterations = 0;
    QByteArray salt;
    QByteArray hash;
};

std::optional<Parsed> parse(const QString& stored)
{
    const QStringList parts = stored.split(QLatin1Char('$'));
    if (parts.size() != 4 || parts[0] != kScheme)
        return std::nullopt;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > kMaxIterations)
        return std::nullopt;
    const auto salt =
        QByteArray::fromBase64Encoding(parts[2].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    const auto hash =
        QByteArray::fromBase64Encoding(parts[3].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!salt || !hash || salt.decoded.isEmpty() || hash.decoded.size() != kHashBytes)
        return std::nullopt;
    return Parsed{iterations, salt.decoded, hash.decoded};
}
} // namespace

int Iterations()
{
    return g_iterations.load();
}

int SetIterations(int iterations)
{
    return g_iterations.exchange(std::clamp(iterations, 1, kMaxIterations));
}

QByteArray Pbkdf2Sha256(const QByteArray& password, const QByteArray& salt, int iterations)
{
    QByteArray out(kHashBytes, Qt::Uninitialized);
    if (PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()), int(salt.size()),
                          iterations, EVP_sha256(), kHashBytes,
                          reinterpret_cast<unsigned char*>(out.data())) != 1)
        return {}; // never equal to a stored hash, which always has kHashBytes
    return out;
}

QString Make(const QString& password, LetterCase letterCase, const QByteArray& salt, int iterations)
{
    if (password.isEmpty())
        return {};
    const QByteArray hash = Pbkdf2Sha256(keyOf(password, letterCase), salt, iterations);
    return kScheme + QLatin1Char('$') + QString::number(iterations) + QLatin1Char('$') +
           QString::fromLatin1(salt.toBase64()) + QLatin1Char('$') + QString::fromLatin1(hash.toBase64());
}

QString Make(const QString& password, LetterCase letterCase)
{
    QByteArray salt(kSaltBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(salt.data()), kSaltBytes / 4);
    return Make(password, letterCase, salt, Iterations());
}

bool IsHashed(const QString& stored)
{
    return parse(stored).has_value();
}

bool NeedsRehash(const QString& stored)
{
    if (stored.isEmpty())
        return false;
    const std::optional<Parsed> p = parse(stored);
    return !p || p->iterations < Iterations();
}

bool Matches(const QString& typed, const QString& stored, LetterCase letterCase)
{
    if (stored.isEmpty())
        return typed.isEmpty();
    const std::optional<Parsed> p = parse(stored);
    if (!p) {
        const Qt::CaseSensitivity cs =
            letterCase == LetterCase::Ignored ? Qt::CaseInsensitive : Qt::CaseSensitive;
        return typed.compare(stored, cs) == 0;
    }
    return sameBytes(Pbkdf2Sha256(keyOf(typed, letterCase), p->salt, p->iterations), p->hash);
}

} // namespace PasswordHash
