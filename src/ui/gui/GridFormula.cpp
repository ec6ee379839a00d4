#include "ui/gui/GridFormula.h"

#include <algorithm>

namespace {
int resolve(bool abs, int value, int self)
{
    return abs ? value : self + value;
}
} // namespace

GridFormula::GridFormula(const QString& text) : m_source(text.trimmed())
{
    m_valid = parse(m_source);
    if (!m_valid)
        m_tokens.clear();
}

bool GridFormula::parseRef(const QString& s, int& pos, Ref& ref)
{
    // R[n] / Rn / R, then C[n] / Cn / C.
    auto part = [&](QChar letter, bool& abs, int& value) {
        if (pos >= s.size() || s.at(pos).toUpper() != letter)
            return false;
        ++pos;
        abs = false;
        value = 0;
        if (pos < s.size() && s.at(pos) == QLatin1Char('[')) {
            const int close = s.indexOf(QLatin1Char(']'), pos);
            if (close < 0)
                return false;
            bool ok = false;
            value = s.mid(pos + 1, close - pos - 1).trimmed().toInt(&ok);
            if (!ok)
                return false;
            pos = close + 1;
        } else {
            int end = pos;
            while (end < s.size() && s.at(end).isDigit())
                ++end;
            if (end > pos) {
                abs = true;
                value = s.mid(pos, end - pos).toInt();
                pos = end;
            }
        }
        return true;
    };
    const int start = pos;
    if (!part(QLatin1Char('R'), ref.rowAbs, ref.row) || !part(QLatin1Char('C'), ref.colAbs, ref.col)) {
        pos = start;
        return false;
    }
    return true;
}

bool GridFormula::parse(const QString& s)
{
    int pos = 0;
    while (pos < s.size()) {
        const QChar ch = s.at(pos);
        if (ch.isSpace()) {
            ++pos;
            continue;
        }
        Token t;
        if (ch.isDigit() || ch == QLatin1Char('.')) {
            int end = pos;
            while (end < s.size() && (s.at(end).isDigit() || s.at(end) == QLatin1Char('.')))
                ++end;
            bool ok = false;
            t.kind = Kind::Number;
            t.number = s.mid(pos, end - pos).toDouble(&ok);
            if (!ok)
                return false;
            pos = end;
        } else if (QStringLiteral("+-*/").contains(ch)) {
            t.kind = Kind::Op;
            t.op = ch;
            ++pos;
        } else if (ch == QLatin1Char('(')) {
            t.kind = Kind::LParen;
            ++pos;
        } else if (ch == QLatin1Char(')')) {
            t.kind = Kind::RParen;
            ++pos;
        } else if (ch == QLatin1Char(',')) {
            t.kind = Kind::Comma;
            ++pos;
        } else if (ch.isLetter()) {
            Ref a;
            int p = pos;
            if (parseRef(s, p, a) && (p >= s.size() || !s.at(p).isLetter())) {
                pos = p;
                t.a = a;
                t.kind = Kind::Ref;
                if (pos < s.size() && s.at(pos) == QLatin1Char(':')) {
                    int q = pos + 1;
                    Ref b;
                    if (!parseRef(s, q, b))
                        return false;
                    t.kind = Kind::Range;
                    t.b = b;
                    pos = q;
                }
            } else {
                int end = pos;
                while (end < s.size() && s.at(end).isLetter())
                    ++end;
                t.kind = Kind::Func;
                t.name = s.mid(pos, end - pos).toUpper();
                if (t.name != QLatin1String("SUM"))
                    return false;
                pos = end;
            }
        } else {
            return false;
        }
        m_tokens.push_back(t);
    }
    if (m_tokens.empty())
        return false;
    // A dry run with empty sources proves the shape of the expression.
    Source none{[](int, int) { return 0.0; }, [](int, int, int, int) { return 0.0; }};
    size_t i = 0;
    m_valid = true;
    parseExpr(i, 1, 1, none);
    return m_valid && i == m_tokens.size();
}

QString GridFormula::refText(const Ref& r)
{
    QString t = QStringLiteral("R");
    if (r.rowAbs)
        t += QString::number(r.row);
    else if (r.row != 0)
        t += QLatin1Char('[') + QString::number(r.row) + QLatin1Char(']');
    t += QLatin1Char('C');
    if (r.colAbs)
        t += QString::number(r.col);
    else if (r.col != 0)
        t += QLatin1Char('[') + QString::number(r.col) + QLatin1Char(']');
    return t;
}

QString GridFormula::text() const
{
    if (!m_valid)
        return m_source;
    QString out;
    for (const Token& t : m_tokens) {
        switch (t.kind) {
        case Kind::Number:
            out += QString::number(t.number, 'g', 15);
            break;
        case Kind::Ref:
            out += refText(t.a);
            break;
        case Kind::Range:
            out += refText(t.a) + QLatin1Char(':') + refText(t.b);
            break;
        case Kind::Op:
            out += t.op;
            break;
        case Kind::LParen:
            out += QLatin1Char('(');
            break;
        case Kind::RParen:
            out += QLatin1Char(')');
            break;
        case Kind::Comma:
            out += QLatin1Char(',');
            break;
        case Kind::Func:
            out += t.name;
            break;
        }
    }
    return out;
}

double GridFormula::evaluate(int selfCol, int selfRow, const Source& source) const
{
    if (!m_valid)
        return 0;
    size_t i = 0;
    return parseExpr(i, selfCol, selfRow, source);
}

double GridFormula::parseExpr(size_t& i, int sc, int sr, const Source& src) const
{
    double v = parseTerm(i, sc, sr, src);
    while (i < m_tokens.size() && m_tokens[i].kind == Kind::Op &&
           (m_tokens[i].op == QLatin1Char('+') || m_tokens[i].op == QLatin1Char('-'))) {
        const bool plus = m_tokens[i].op == QLatin1Char('+');
        ++i;
        const double r = parseTerm(i, sc, sr, src);
        v = plus ? v + r : v - r;
    }
    return v;
}

double GridFormula::parseTerm(size_t& i, int sc, int sr, const Source& src) const
{
    double v = parseFactor(i, sc, sr, src);
    while (i < m_tokens.size() && m_tokens[i].kind == Kind::Op &&
           (m_tokens[i].op == QLatin1Char('*') || m_tokens[i].op == QLatin1Char('/'))) {
        const bool times = m_tokens[i].op == QLatin1Char('*');
        ++i;
        const double r = parseFactor(i, sc, sr, src);
        // Division by zero shows 0 rather than a value no money column can hold.
        v = times ? v * r : (r == 0 ? 0 : v / r);
    }
    return v;
}

double GridFormula::parseFactor(size_t& i, int sc, int sr, const Source& src) const
{
    auto fail = [&]() {
        const_cast<GridFormula*>(this)->m_valid = false;
        i = m_tokens.size() + 1;
        return 0.0;
    };
    if (i >= m_tokens.size())
        return fail();
    const Token& t = m_tokens[i];
    switch (t.kind) {
    case Kind::Number:
        ++i;
        return t.number;
    case Kind::Op:
        if (t.op == QLatin1Char('-') || t.op == QLatin1Char('+')) {
            ++i;
            const double v = parseFactor(i, sc, sr, src);
            return t.op == QLatin1Char('-') ? -v : v;
        }
        return fail();
    case Kind::LParen: {
        ++i;
        const double v = parseExpr(i, sc, sr, src);
        if (i >= m_tokens.size() || m_tokens[i].kind != Kind::RParen)
            return fail();
        ++i;
        return v;
    }
    case Kind::Ref:
        ++i;
        return src.value(resolve(t.a.colAbs, t.a.col, sc), resolve(t.a.rowAbs, t.a.row, sr));
    case Kind::Func: {
        ++i;
        if (i >= m_tokens.size() || m_tokens[i].kind != Kind::LParen)
            return fail();
        ++i;
        double total = parseArg(i, sc, sr, src);
        while (i < m_tokens.size() && m_tokens[i].kind == Kind::Comma) {
            ++i;
            total += parseArg(i, sc, sr, src);
        }
        if (i >= m_tokens.size() || m_tokens[i].kind != Kind::RParen)
            return fail();
        ++i;
        return total;
    }
    default:
        return fail();
    }
}

double GridFormula::parseArg(size_t& i, int sc, int sr, const Source& src) const
{
    if (i < m_tokens.size() && m_tokens[i].kind == Kind::Range) {
        const Token& t = m_tokens[i];
        ++i;
        int c1 = resolve(t.a.colAbs, t.a.col, sc), r1 = resolve(t.a.rowAbs, t.a.row, sr);
        int c2 = resolve(t.b.colAbs, t.b.col, sc), r2 = resolve(t.b.rowAbs, t.b.row, sr);
        if (c1 > c2)
            std::swap(c1, c2);
        if (r1 > r2)
            return 0; // an empty range after deletions, or a sum over no rows
        return src.sum(c1, std::max(r1, 1), c2, r2);
    }
    return parseExpr(i, sc, sr, src);
}

bool GridFormula::reads(int selfCol, int selfRow, int col, int row) const
{
    for (const Token& t : m_tokens) {
        if (t.kind == Kind::Ref) {
            if (resolve(t.a.colAbs, t.a.col, selfCol) == col && resolve(t.a.rowAbs, t.a.row, selfRow) == row)
                return true;
        } else if (t.kind == Kind::Range) {
            int c1 = resolve(t.a.colAbs, t.a.col, selfCol), c2 = resolve(t.b.colAbs, t.b.col, selfCol);
            const int r1 = resolve(t.a.rowAbs, t.a.row, selfRow), r2 = resolve(t.b.rowAbs, t.b.row, selfRow);
            if (c1 > c2)
                std::swap(c1, c2);
            if (col >= c1 && col <= c2 && row >= r1 && row <= r2)
                return true;
        }
    }
    return false;
}

void GridFormula::shiftRows(int at, int count)
{
    auto shiftOne = [&](Ref& r, bool rangeEnd) {
        if (!r.rowAbs)
            return;
        if (count > 0) {
            if (r.row >= at)
                r.row += count;
            return;
        }
        const int removed = -count;
        if (r.row >= at + removed)
            r.row -= removed;
        else if (r.row >= at)
            r.row = rangeEnd ? at - 1 : at;
    };
    for (Token& t : m_tokens) {
        if (t.kind == Kind::Ref) {
            shiftOne(t.a, false);
        } else if (t.kind == Kind::Range) {
            shiftOne(t.a, false);
            shiftOne(t.b, true);
        }
    }
}
