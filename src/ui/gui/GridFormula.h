#pragma once

#include <QString>

#include <functional>
#include <vector>

// One parsed R1C1 cell formula ("SUM(R1C3:R9C3)", "RC3*RC4") that can be evaluated and kept in step with row
// moves.
class GridFormula
{
public:
    struct Ref
    {
        bool rowAbs = true; // R5 (absolute) or R / R[-1] (relative to the formula's row)
        int row = 0;
        bool colAbs = true;
        int col = 0;
    };

    // Reads one cell's numeric value and sums a block; both use absolute 1-based rows and columns.
    struct Source
    {
        std::function<double(int col, int row)> value;
        std::function<double(int col1, int row1, int col2, int row2)> sum;
    };

    // Parses text; an unparsable formula is kept as text and evaluates to 0 with isValid() false.
    explicit GridFormula(const QString& text);

    bool isValid() const { return m_valid; }
    // The formula as text, rewritten after row insertions and deletions.
    QString text() const;
    double evaluate(int selfCol, int selfRow, const Source& source) const;

    // Whether the cell (col, row) is read by this formula standing at (selfCol, selfRow).
    bool reads(int selfCol, int selfRow, int col, int row) const;

    // Adjusts absolute row references for rows inserted at `at` (count > 0) or removed from `at` (count < 0).
    void shiftRows(int at, int count);

    // Evaluation bookkeeping of the owning grid.
    quint32 generation = 0;
    bool busy = false;

private:
    enum class Kind
    {
        Number,
        Ref,
        Range,
        Op,
        LParen,
        RParen,
        Func,
        Comma
    };
    struct Token
    {
        Kind kind = Kind::Number;
        double number = 0;
        QChar op;
        Ref a;
        Ref b;
        QString name;
    };

    bool parse(const QString& text);
    static bool parseRef(const QString& s, int& pos, Ref& ref);
    static QString refText(const Ref& r);

    double parseExpr(size_t& i, int selfCol, int selfRow, const Source& src) const;
    double parseTerm(size_t& i, int selfCol, int selfRow, const Source& src) const;
    double parseFactor(size_t& i, int selfCol, int selfRow, const Source& src) const;
    double parseArg(size_t& i, int selfCol, int selfRow, const Source& src) const;

    QString m_source;
    std::vector<Token> m_tokens;
    bool m_valid = false;
};
