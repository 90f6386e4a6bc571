// Value 1 over every ordered pair of units of every shipped property that
// converts by factor: the text the converter shows must be the exact quotient
// of the two stored factors, rounded to 6 decimal places (halves to even) and
// then to 7 significant digits (halves up). The exact quotient is worked out
// here with integers of any size, apart from the program's floating point.
#include "DataTable.h"
#include "TestDatabase.h"

#include "data/RuntimeError.h"
#include "data/modMain.h"
#include "engine/ConversionEngine.h"
#include "engine/NumberText.h"

#include <QRegularExpression>
#include <QtTest>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// An unsigned integer of any size in 32-bit limbs, least significant first:
// just what an exact division of two doubles needs.
class BigUint
{
public:
    explicit BigUint(std::uint64_t value) : m_limbs{std::uint32_t(value), std::uint32_t(value >> 32)} { trim(); }

    bool isZero() const { return m_limbs.empty(); }
    int bitCount() const
    {
        if (m_limbs.empty())
            return 0;
        int bits = 32 * int(m_limbs.size() - 1);
        for (std::uint32_t top = m_limbs.back(); top; top >>= 1)
            ++bits;
        return bits;
    }
    bool bit(int index) const
    {
        const std::size_t limb = std::size_t(index / 32);
        return limb < m_limbs.size() && (m_limbs[limb] >> (index % 32)) & 1u;
    }
    void setBit(int index)
    {
        const std::size_t limb = std::size_t(index / 32);
        if (m_limbs.size() <= limb)
            m_limbs.resize(limb + 1, 0);
        m_limbs[limb] |= 1u << (index % 32);
    }

    void multiply(std::uint32_t factor)
    {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : m_limbs) {
            const std::uint64_t product = std::uint64_t(limb) * factor + carry;
            limb = std::uint32_t(product);
            carry = product >> 32;
        }
        if (carry)
            m_limbs.push_back(std::uint32_t(carry));
        trim();
    }
    void add(std::uint32_t addend)
    {
        std::uint64_t carry = addend;
        for (std::size_t i = 0; carry && i < m_limbs.size(); ++i) {
            const std::uint64_t sum = std::uint64_t(m_limbs[i]) + carry;
            m_limbs[i] = std::uint32_t(sum);
            carry = sum >> 32;
        }
        if (carry)
            m_limbs.push_back(std::uint32_t(carry));
    }
    void shiftLeft(int bits)
    {
        for (; bits >= 32; bits -= 32)
            m_limbs.insert(m_limbs.begin(), 0u);
        if (bits == 0 || m_limbs.empty())
            return;
        std::uint32_t carry = 0;
        for (std::uint32_t& limb : m_limbs) {
            const std::uint32_t next = limb >> (32 - bits);
            limb = (limb << bits) | carry;
            carry = next;
        }
        if (carry)
            m_limbs.push_back(carry);
    }
    int compare(const BigUint& other) const
    {
        if (m_limbs.size() != other.m_limbs.size())
            return m_limbs.size() < other.m_limbs.size() ? -1 : 1;
        for (std::size_t i = m_limbs.size(); i-- > 0;) {
            if (m_limbs[i] != other.m_limbs[i])
                return m_limbs[i] < other.m_limbs[i] ? -1 : 1;
        }
        return 0;
    }
    // Requires *this >= other.
    void subtract(const BigUint& other)
    {
        std::int64_t borrow = 0;
        for (std::size_t i = 0; i < m_limbs.size(); ++i) {
            std::int64_t difference =
                std::int64_t(m_limbs[i]) - borrow - (i < other.m_limbs.size() ? other.m_limbs[i] : 0);
            borrow = difference < 0;
            if (difference < 0)
                difference += std::int64_t(1) << 32;
            m_limbs[i] = std::uint32_t(difference);
        }
        trim();
    }
    // Divides by a small number and returns the remainder.
    std::uint32_t divide(std::uint32_t divisor)
    {
        std::uint64_t remainder = 0;
        for (std::size_t i = m_limbs.size(); i-- > 0;) {
            const std::uint64_t current = (remainder << 32) | m_limbs[i];
            m_limbs[i] = std::uint32_t(current / divisor);
            remainder = current % divisor;
        }
        trim();
        return std::uint32_t(remainder);
    }
    QString decimal() const
    {
        if (isZero())
            return QStringLiteral("0");
        BigUint rest = *this;
        QString digits;
        while (!rest.isZero())
            digits.prepend(QChar('0' + rest.divide(10)));
        return digits;
    }

    // Long division: *this becomes the quotient, the remainder is returned.
    BigUint divideBy(const BigUint& divisor)
    {
        BigUint quotient(0);
        BigUint remainder(0);
        for (int i = bitCount() - 1; i >= 0; --i) {
            remainder.shiftLeft(1);
            if (bit(i))
                remainder.add(1);
            if (remainder.compare(divisor) >= 0) {
                remainder.subtract(divisor);
                quotient.setBit(i);
            }
        }
        *this = quotient;
        return remainder;
    }

private:
    void trim()
    {
        while (!m_limbs.empty() && m_limbs.back() == 0)
            m_limbs.pop_back();
    }

    std::vector<std::uint32_t> m_limbs;
};

// A positive double as mantissa × 2^exponent, both exact.
void split(double value, std::uint64_t& mantissa, int& exponent)
{
    int e = 0;
    const double fraction = std::frexp(value, &e);
    mantissa = std::uint64_t(std::ldexp(fraction, 53));
    exponent = e - 53;
}

// A decimal number as its significant digits (no leading or trailing zeros)
// and the power of ten of the first digit; zero has no digits.
struct Decimal
{
    QString digits;
    int exponent = 0;
    bool negative = false;
    bool operator==(const Decimal& other) const
    {
        return digits == other.digits &&
               (digits.isEmpty() || (exponent == other.exponent && negative == other.negative));
    }
};

Decimal normalised(QString digits, int exponentOfFirst, bool negative)
{
    while (digits.startsWith(QLatin1Char('0'))) {
        digits.remove(0, 1);
        --exponentOfFirst;
    }
    while (digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    return {digits, exponentOfFirst, negative};
}

// Rounds to 7 significant digits, halves away from zero.
Decimal toSevenDigits(Decimal value)
{
    if (value.digits.size() <= 7)
        return value;
    const bool up = value.digits.at(7) >= QLatin1Char('5');
    QString kept = value.digits.left(7);
    if (up) {
        int i = 6;
        for (; i >= 0 && kept[i] == QLatin1Char('9'); --i)
            kept[i] = QLatin1Char('0');
        if (i < 0) {
            kept.prepend(QLatin1Char('1'));
            ++value.exponent;
        } else {
            kept[i] = QChar(kept[i].unicode() + 1);
        }
    }
    return normalised(kept, value.exponent, value.negative);
}

// The expected result for 1 of the unit with factor a in the unit with factor b.
Decimal expected(double a, double b)
{
    std::uint64_t ma = 0;
    std::uint64_t mb = 0;
    int ea = 0;
    int eb = 0;
    split(a, ma, ea);
    split(b, mb, eb);
    // b / a × 10^6 = (mb × 10^6 × 2^(eb-ea)) / ma
    BigUint numerator(mb);
    numerator.multiply(1000000);
    BigUint denominator(ma);
    if (eb >= ea)
        numerator.shiftLeft(eb - ea);
    else
        denominator.shiftLeft(ea - eb);
    BigUint millionths = numerator;
    BigUint twiceRemainder = millionths.divideBy(denominator);
    twiceRemainder.shiftLeft(1);
    const int half = twiceRemainder.compare(denominator);
    if (half > 0 || (half == 0 && millionths.bit(0)))
        millionths.add(1);
    const QString digits = millionths.decimal();
    return toSevenDigits(normalised(digits, digits.size() - 1 - 6, false));
}

// Reads a shown text in the C locale; an empty result for text of the wrong form.
std::optional<Decimal> readShown(const QString& text)
{
    static const QRegularExpression plain(QStringLiteral("^(-?)(0|[1-9][0-9]*)(?:\\.([0-9]*[1-9]))?$"));
    static const QRegularExpression exponentForm(QStringLiteral("^(-?)([1-9])(?:\\.([0-9]*[1-9]))?E([+-][0-9]{2,})$"));
    QRegularExpressionMatch match = plain.match(text);
    int exponent = 0;
    if (!match.hasMatch()) {
        match = exponentForm.match(text);
        if (!match.hasMatch())
            return std::nullopt;
        exponent = match.captured(4).toInt();
    }
    const QString whole = match.captured(2);
    return normalised(whole + match.captured(3), exponent + int(whole.size()) - 1, !match.captured(1).isEmpty());
}

QString describe(const Decimal& value)
{
    return value.digits.isEmpty() ? QStringLiteral("0")
                                  : QStringLiteral("%1%2 x 10^%3")
                                        .arg(value.negative ? QStringLiteral("-") : QString(), value.digits)
                                        .arg(value.exponent - int(value.digits.size()) + 1);
}

struct Unit
{
    qint32 id;
    QString name;
    double factor;
};

} // namespace

class TestAllPairs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }

    // The reference itself, on quotients whose digits are known.
    void reference_data()
    {
        const TestKit::DataTable<double, double, QString> row("a", "b", "text");
        row("thousand", 0.001, 1.0, "1000");
        row("third", 3.0, 1.0, "0.333333");
        row("two thirds", 3.0, 2.0, "0.666667");
        row("1/128, half to even, down", 128.0, 1.0, "0.007812");
        row("3/128, half to even, up", 128.0, 3.0, "0.023438");
        row("just below half a millionth", 2.0, 0.000001, "0");
        row("below half a millionth", 3.0, 0.0000014, "0");
        row("tie at the seventh digit, up", 8.0, 98765.4, "12345.68");
        row("carry into an eighth digit", 1.0, 9999999.6, "1E+07");
        row("large", 1e-24, 1e24, "1E+48");
        row("large tie at the seventh digit, up", 1.0, 1234567500000.0, "1.234568E+12");
    }

    void reference()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(QString, text);
        const std::optional<Decimal> shown = readShown(text);
        QVERIFY(shown);
        QCOMPARE(describe(expected(a, b)), describe(*shown));
    }

    void everyPairShowsTheExactQuotient()
    {
        TestDatabase db;
        db.useShippedCatalogue();
        const QMap<QString, QList<Unit>> properties = readUnits(db);
        db.openShared();

        int pairs = 0;
        QStringList wrong;
        for (auto property = properties.cbegin(); property != properties.cend(); ++property) {
            for (const Unit& from : *property) {
                for (const Unit& to : *property) {
                    ++pairs;
                    QString text;
                    try {
                        text = shown(from.id, to.id);
                    } catch (const RuntimeError& error) {
                        text = QStringLiteral("run-time error %1").arg(error.number());
                    }
                    const std::optional<Decimal> got = readShown(text);
                    const Decimal want = expected(from.factor, to.factor);
                    if (!got || !(*got == want))
                        wrong << QStringLiteral("%1: 1 %2 -> %3 shows %4, exact %5")
                                     .arg(property.key(), from.name, to.name, text, describe(want));
                }
            }
        }
        qInfo("%d ordered pairs, %d wrong", pairs, int(wrong.size()));
        for (const QString& line : wrong)
            qInfo("%s", qPrintable(line));
        QVERIFY(pairs > 20000);
        QCOMPARE(wrong.size(), 0);
    }

private:
    // The factor units of each shipped property.
    static QMap<QString, QList<Unit>> readUnits(TestDatabase& db)
    {
        QMap<QString, QList<Unit>> properties;
        for (const QStringList& row : db.rows(QStringLiteral("select UID, uname, factor, PropID from tbUnits"))) {
            if (!IsTemperatureProperty(row.at(3).toInt()))
                properties[row.at(3)].append({row.at(0).toInt(), row.at(1), row.at(2).toDouble()});
        }
        return properties;
    }

    static QString shown(qint32 from, qint32 to) { return FactorResultText(QStringLiteral("1"), from, to); }
};

QTEST_GUILESS_MAIN(TestAllPairs)
#include "tst_allpairs.moc"
