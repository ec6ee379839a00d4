#pragma once

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <cstring>
#include <vector>

// Distinct texts by their UTF-8 bytes, numbered in the order first seen: an open table of the numbers
// found by a hash of the bytes, for the look-ups the reports make per line read.
class TextIds
{
public:
    // The number of the text p[0..n) (p not null), given to it the first time (*added = true).
    qint32 id(const char* p, qsizetype n, bool* added = nullptr)
    {
        if ((m_utf8.size() + 1) * 2 > qsizetype(m_slots.size()))
            grow();
        const size_t mask = m_slots.size() - 1;
        for (size_t i = hash(p, n) & mask;; i = (i + 1) & mask) {
            const qint32 s = m_slots[i];
            if (s < 0) {
                m_utf8.append(QByteArray(p, n));
                m_slots[i] = qint32(m_utf8.size() - 1);
                if (added)
                    *added = true;
                return m_slots[i];
            }
            const QByteArray& t = m_utf8.at(s);
            if (t.size() == n && std::memcmp(t.constData(), p, size_t(n)) == 0) {
                if (added)
                    *added = false;
                return s;
            }
        }
    }
    const QByteArray& utf8(qint32 id) const { return m_utf8.at(id); }
    qint32 size() const { return qint32(m_utf8.size()); }

private:
    static size_t hash(const char* p, qsizetype n)
    {
        constexpr quint64 k = 0x9E3779B97F4A7C15ull;
        quint64 h = quint64(n) * k;
        for (; n >= 8; p += 8, n -= 8) {
            quint64 w;
            std::memcpy(&w, p, 8);
            h = (h ^ w) * k;
            h ^= h >> 32;
        }
        if (n > 0) {
            quint64 w = 0;
            std::memcpy(&w, p, size_t(n));
            h = (h ^ w) * k;
        }
        h ^= h >> 29;
        h *= 0xBF58476D1CE4E5B9ull;
        return size_t(h ^ (h >> 32));
    }
    void grow()
    {
        m_slots.assign(std::max<size_t>(64, m_slots.size() * 2), -1);
        const size_t mask = m_slots.size() - 1;
        for (qint32 s = 0; s < qint32(m_utf8.size()); ++s) {
            const QByteArray& t = m_utf8.at(s);
            size_t i = hash(t.constData(), t.size()) & mask;
            while (m_slots[i] >= 0)
                i = (i + 1) & mask;
            m_slots[i] = s;
        }
    }

    QList<QByteArray> m_utf8;
    std::vector<qint32> m_slots;
};
