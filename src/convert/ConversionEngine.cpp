#include "ConversionEngine.h"

#include "NumberText.h"
#include "data/PlainErrors.h"
#include "data/RuntimeError.h"
#include "data/Variant.h"
#include "data/modMain.h"

#include <cmath>

namespace {

struct Borrowing
{
    const char* property;
    const char* unitsOf;
};

// Properties without units of their own list the units of another property.
constexpr Borrowing borrowings[] = {
    {"1111", "1015"}, {"1040", "1015"}, {"1020", "1012"}, {"1109", "1012"}, {"1024", "1021"}, {"1023", "1021"},
    {"1056", "1021"}, {"1064", "1021"}, {"1141", "1021"}, {"1127", "1114"}, {"1090", "1022"},
};

enum class Scale { Fahrenheit, Celsius, Rankine, Kelvin };

std::optional<Scale> scaleNamed(const QString& name)
{
    if (name == QLatin1String("Fahrenheit"))
        return Scale::Fahrenheit;
    if (name == QLatin1String("Celsius"))
        return Scale::Celsius;
    if (name == QLatin1String("Rankine"))
        return Scale::Rankine;
    if (name == QLatin1String("Kelvin"))
        return Scale::Kelvin;
    return std::nullopt;
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

struct UnitFactor
{
    QString name;
    float factor;
};

const QString UnitRemedy = QStringLiteral("Choose another unit, or hide this one under Tools > Options.");

UnitFactor readFactor(qint32 uid)
{
    modMain::OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QString::number(uid)});
    Recordset& rows = modMain::dbRecordset;
    if (rows.isOpen() && rows.Eof())
        throw RuntimeError(ErrorNumber::NoCurrentRecord,
                           QStringLiteral("The unit with UID %1 is no longer in the catalogue. Pick the property "
                                          "again to list its units as they are now.")
                               .arg(uid));
    const QString name = Variant::toText(rows.Fields(1).Value());
    const QVariant stored = rows.Fields(2).Value();
    try {
        const UnitFactor unit{name, Variant::toSingle(stored)};
        rows.Close();
        return unit;
    } catch (const RuntimeError& error) {
        throw PlainErrors::fieldError(error, QStringLiteral("The factor of the unit \"%1\"").arg(name), stored,
                                      UnitRemedy);
    }
}

} // namespace

void ResolveUnitProperty()
{
    for (const Borrowing& b : borrowings) {
        if (modMain::CurrentPropID == QLatin1String(b.property)) {
            modMain::CurrentPropID = QLatin1String(b.unitsOf);
            return;
        }
    }
}

bool IsTemperatureProperty(qint32 propId)
{
    return propId == 92 || propId == 93;
}

float RoundToSixPlaces(float value)
{
    const double scaled = static_cast<double>(value) * 1e6;
    // Beyond 2^52 a double holds no fraction, so there is nothing left to round.
    if (!(std::fabs(scaled) < 0x1p52))
        return value;
    return static_cast<float>(std::nearbyint(scaled) / 1e6);
}

float ConvertByFactor(float value, qint32 fromUID, qint32 toUID)
{
    const UnitFactor from = readFactor(fromUID);
    const UnitFactor to = readFactor(toUID);
    if (from.factor == 0.0f)
        throw PlainErrors::fieldError(RuntimeError(ErrorNumber::DivisionByZero, QStringLiteral("Division by zero")),
                                      QStringLiteral("The factor of the unit \"%1\"").arg(from.name), 0,
                                      QStringLiteral("Nothing can be converted from it. ") + UnitRemedy);
    const float a = from.factor;
    const float b = to.factor;
    // The product of two singles is exact in double precision.
    const double q = (static_cast<double>(b) * static_cast<double>(value)) / static_cast<double>(a);
    try {
        return RoundToSixPlaces(Variant::narrowToSingle(q));
    } catch (const RuntimeError& error) {
        throw RuntimeError(error.number(),
                           QStringLiteral("The result of converting %1 from \"%2\" to \"%3\" is too large to show: "
                                          "Quantaro converts numbers up to about 3.4E+38. Convert a smaller value, "
                                          "or to a larger unit.")
                               .arg(NumberText::formatSingle(value), from.name, to.name));
    }
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
    const double x = NumberText::parseSingle(inputText.trimmed());
    return NumberText::formatDouble(convertScale(*from, *to, x));
}
