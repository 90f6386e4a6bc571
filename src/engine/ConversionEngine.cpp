#include "ConversionEngine.h"

#include "NumberText.h"
#include "data/PlainErrors.h"
#include "data/Schema.h"
#include "data/Variant.h"
#include "data/modMain.h"

#include <cmath>
#include <vector>

namespace {

// In the order of TemperatureScales().
enum class Scale { Fahrenheit, Celsius, Rankine, Kelvin };

std::optional<Scale> scaleNamed(const QString& name)
{
    const qsizetype index = TemperatureScales().indexOf(name);
    if (index < 0)
        return std::nullopt;
    return Scale(index);
}

double convertScale(Scale from, Scale to, double x)
{
    switch (from) {
    case Scale::Fahrenheit:
        return to == Scale::Celsius ? (x - 32) / 1.8 : to == Scale::Rankine ? x + 459.67 : (x + 459.67) / 1.8;
    case Scale::Celsius:
        return to == Scale::Fahrenheit ? x * 1.8 + 32 : to == Scale::Rankine ? x * 1.8 + 491.67 : x + 273.15;
    case Scale::Rankine:
        return to == Scale::Fahrenheit ? x - 459.67 : to == Scale::Celsius ? (x - 491.67) / 1.8 : x / 1.8;
    case Scale::Kelvin:
        return to == Scale::Fahrenheit ? x * 1.8 - 459.67 : to == Scale::Celsius ? x - 273.15 : x * 1.8;
    }
    return x;
}

const QString UnitRemedy = QStringLiteral("Choose another unit, or hide this one under Tools > Options.");

// A factor must be a finite number above 0: 0 would divide by zero as a source
// and turn every result into 0 as a target.
double readFactor(qint32 uid)
{
    modMain::OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QString::number(uid)},
                           {Schema::UnitColumn::uname, Schema::UnitColumn::factor});
    Recordset& rows = modMain::dbRecordset;
    if (rows.isOpen() && rows.Eof())
        throw RuntimeError(ErrorNumber::NoCurrentRecord,
                           QStringLiteral("The unit with UID %1 is no longer in the catalogue. Pick the property "
                                          "again to list its units as they are now.")
                               .arg(uid));
    const QString name = Variant::toText(rows.Fields(Schema::UnitColumn::uname).Value());
    const QVariant stored = rows.Fields(Schema::UnitColumn::factor).Value();
    rows.Close();
    const QString subject = QStringLiteral("The factor of the unit \"%1\"").arg(name);
    const auto unusable = [&](const RuntimeError& error, const QString& remedy) {
        const RuntimeError plain = PlainErrors::fieldError(error, subject, stored, remedy);
        return ConversionFailure(ConversionFailure::Reason::UnusableFactor, plain.number(), plain.description(), uid);
    };
    double factor = 0;
    try {
        factor = Variant::toDouble(stored);
    } catch (const RuntimeError& error) {
        throw unusable(error, UnitRemedy);
    }
    if (!(factor > 0))
        throw unusable(RuntimeError(ErrorNumber::DivisionByZero, QStringLiteral("Factor not above 0")),
                       QStringLiteral("Nothing can be converted from or to it. ") + UnitRemedy);
    return factor;
}

[[noreturn]] void resultOutOfRange()
{
    throw ConversionFailure(ConversionFailure::Reason::ResultOutOfRange, ErrorNumber::Overflow,
                            QStringLiteral("Overflow"));
}

double parseValue(const QString& inputText)
{
    try {
        return NumberText::parseDouble(inputText);
    } catch (const RuntimeError& error) {
        if (error.number() != ErrorNumber::Overflow)
            throw;
        throw ConversionFailure(ConversionFailure::Reason::ValueOutOfRange, error.number(), error.description());
    }
}

// A number held exactly as a sum of doubles that do not overlap, largest last.
// Sums and products by a double stay exact as long as no product comes near
// the ends of the double range, where its rounding error would be lost.
class Expansion
{
public:
    explicit Expansion(double value) : m_parts{value} {}

    Expansion times(double factor) const
    {
        Expansion product(0.0);
        product.m_exact = m_exact;
        for (const double part : m_parts) {
            const double high = part * factor;
            if (part != 0 && factor != 0 && !(std::fabs(high) > 0x1p-900 && std::fabs(high) < 0x1p900))
                product.m_exact = false;
            product.add(high);
            product.add(std::fma(part, factor, -high));
        }
        return product;
    }
    Expansion minus(const Expansion& other) const
    {
        Expansion difference = *this;
        difference.m_exact = m_exact && other.m_exact;
        for (const double part : other.m_parts)
            difference.add(-part);
        return difference;
    }
    bool exact() const { return m_exact; }
    // The largest part that is not zero carries the sign of the whole.
    int sign() const
    {
        for (auto part = m_parts.crbegin(); part != m_parts.crend(); ++part) {
            if (*part != 0)
                return *part > 0 ? 1 : -1;
        }
        return 0;
    }

private:
    // Adds one double without error (two-sum down the parts, zeros dropped).
    void add(double term)
    {
        std::vector<double> grown;
        for (const double part : m_parts) {
            const double sum = term + part;
            const double virtualPart = sum - term;
            const double error = (term - (sum - virtualPart)) + (part - virtualPart);
            if (error != 0)
                grown.push_back(error);
            term = sum;
        }
        grown.push_back(term);
        m_parts.swap(grown);
    }

    std::vector<double> m_parts;
    bool m_exact = true;
};

// The sign of x × y × 10^6 − (c × 10^j + d) × z, exactly (j >= 0); nothing
// where the magnitudes are too extreme to settle it so.
std::optional<int> exactSign(double x, double y, double z, double c, int j, double d)
{
    Expansion scaled(c);
    for (int i = 0; i < j; ++i)
        scaled = scaled.times(10);
    const Expansion difference = Expansion(x).times(y).times(1e6).minus(scaled.times(z)).minus(Expansion(d).times(z));
    if (!difference.exact())
        return std::nullopt;
    return difference.sign();
}

// q is (b × value) ÷ a rounded to a double, and its rounding to 6 places can
// differ from that of the exact quotient only where a half of a millionth lies
// between the two; which side of it the exact quotient lies on is settled exactly.
double roundToSixPlaces(double b, double value, double a, double q, qint64 nearest)
{
    const double near = static_cast<double>(nearest);
    const double half = near + (std::fma(q, 1e6, -near) >= 0 ? 0.5 : -0.5);
    const std::optional<int> side = exactSign(b, value, a, half, 0, 0);
    if (!side)
        return near / 1e6;
    const double below = half - 0.5;
    const double above = half + 0.5;
    const double millionths = *side > 0 ? above : *side < 0 ? below : (std::fmod(below, 2.0) == 0 ? below : above);
    return millionths / 1e6;
}

// With 2^52 millionths or more, 6 places lie far below the seventh significant
// digit, the last one shown. Rounded half up to seven digits, q can differ from
// the exact quotient rounded to 6 places and then to seven digits only where a
// half of the seventh digit lies between them; the exact quotient decides, and
// the result is then a double with the seven digits it rounds to.
double roundAtSeventhDigit(double b, double value, double a, double q)
{
    if (q < 0)
        return -roundAtSeventhDigit(b, -value, a, -q);
    const QString scientific = QString::number(q, 'e', 6);
    const int e = scientific.indexOf(QLatin1Char('e'));
    const qint64 digits = scientific.left(e).remove(QLatin1Char('.')).toLongLong();
    const int power = scientific.mid(e + 1).toInt() - 6;
    const std::optional<int> qAbove = exactSign(q, 1, 1, static_cast<double>(digits), power + 6, 0);
    if (!qAbove || *qAbove == 0)
        return q;
    // The half next to q, as c × 10^j millionths, and the digits on either side.
    qint64 lower = digits;
    qint64 upper = digits + 1;
    int lowerPower = power;
    double c = static_cast<double>((2 * digits + 1) * 5);
    int j = power + 5;
    if (*qAbove < 0) {
        upper = digits;
        lower = digits - 1;
        c = static_cast<double>((2 * digits - 1) * 5);
        if (digits == 1000000) {
            // Below a power of ten the digits are ten times finer.
            lower = 9999999;
            lowerPower = power - 1;
            c = 99999995;
            j = power + 4;
        }
    }
    // A quotient within half a millionth below the half is rounded up onto it by the 6 places.
    const std::optional<int> side = exactSign(b, value, a, c, j, -0.5);
    if (!side)
        return q;
    const bool up = *side >= 0;
    if ((up ? upper : lower) == digits)
        return q;
    return up ? QStringLiteral("%1e%2").arg(upper).arg(power).toDouble()
              : QStringLiteral("%1e%2").arg(lower).arg(lowerPower).toDouble();
}

double roundQuotient(double b, double value, double a, double q)
{
    if (const std::optional<qint64> nearest = NumberText::toMillionths(q))
        return roundToSixPlaces(b, value, a, q, *nearest);
    return roundAtSeventhDigit(b, value, a, q);
}

} // namespace

const QList<UnitBorrowing>& UnitBorrowings()
{
    static const QList<UnitBorrowing> table = {
        {1111, 1015}, {1040, 1015}, {1020, 1012}, {1109, 1012}, {1024, 1021}, {1023, 1021},
        {1056, 1021}, {1064, 1021}, {1141, 1021}, {1127, 1114}, {1090, 1022},
    };
    return table;
}

void ResolveUnitProperty()
{
    // The identifier is matched as the text it is stored as, so " 1040" borrows nothing.
    for (const UnitBorrowing& b : UnitBorrowings()) {
        if (modMain::CurrentPropID == QString::number(b.property)) {
            modMain::CurrentPropID = QString::number(b.unitsOf);
            return;
        }
    }
}

const QList<qint32>& TemperatureProperties()
{
    static const QList<qint32> properties = {92, 93};
    return properties;
}

bool IsTemperatureProperty(qint32 propId)
{
    return TemperatureProperties().contains(propId);
}

const QStringList& TemperatureScales()
{
    static const QStringList names = {QStringLiteral("Fahrenheit"), QStringLiteral("Celsius"),
                                      QStringLiteral("Rankine"), QStringLiteral("Kelvin")};
    return names;
}

double RoundToSixPlaces(double value)
{
    const std::optional<qint64> millionths = NumberText::toMillionths(value);
    // Without millionths in the double there is nothing left to round.
    return millionths ? static_cast<double>(*millionths) / 1e6 : value;
}

double ConvertByFactor(double value, qint32 fromUID, qint32 toUID)
{
    const double a = readFactor(fromUID);
    const double b = readFactor(toUID);
    const double q = (b * value) / a;
    if (!std::isfinite(q))
        resultOutOfRange();
    return roundQuotient(b, value, a, q);
}

QString FactorResultText(const QString& inputText, qint32 fromUID, qint32 toUID)
{
    return NumberText::formatResult(ConvertByFactor(parseValue(inputText), fromUID, toUID));
}

std::optional<QString> ConvertTemperature(const QString& fromScale, const QString& toScale, const QString& inputText)
{
    const std::optional<Scale> from = scaleNamed(fromScale);
    const std::optional<Scale> to = scaleNamed(toScale);
    if (!from || !to)
        return std::nullopt;
    if (*from == *to) {
        if (*from == Scale::Fahrenheit || *from == Scale::Celsius)
            return inputText;
        return inputText.trimmed();
    }
    const double result = convertScale(*from, *to, parseValue(inputText.trimmed()));
    if (!std::isfinite(result))
        resultOutOfRange();
    return NumberText::formatDouble(result);
}
