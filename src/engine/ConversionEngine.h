#pragma once

#include "data/RuntimeError.h"

#include <QString>

#include <QList>
#include <QStringList>

#include <optional>

// The converter's arithmetic: the factor rule, the temperature rule and the
// properties that borrow another property's unit list.

// A property without units of its own, and the property whose units it lists.
struct UnitBorrowing
{
    qint32 property;
    qint32 unitsOf;
};

// Every property that lists another property's units. This is the one table of
// them: the catalogue build refuses a properties.txt that says otherwise.
const QList<UnitBorrowing>& UnitBorrowings();

// Replaces modMain::CurrentPropID by the property whose units it borrows, if any.
void ResolveUnitProperty();

// The properties converted between temperature scales by formula.
const QList<qint32>& TemperatureProperties();

// True for a property of TemperatureProperties().
bool IsTemperatureProperty(qint32 propId);

// The names the units of a temperature property have, exactly: "Fahrenheit",
// "Celsius", "Rankine" and "Kelvin".
const QStringList& TemperatureScales();

// Why a conversion gives no number. The converter tells the user in words; the
// error number is that of the underlying run-time error.
class ConversionFailure : public RuntimeError
{
public:
    enum class Reason {
        ValueOutOfRange,  // the typed value is beyond the double range
        ResultOutOfRange, // the result is not a finite double
        UnusableFactor,   // a unit's stored factor is empty, not a number, or not above 0
    };

    ConversionFailure(Reason reason, int number, const QString& description, qint32 unitId = 0)
        : RuntimeError(number, description), m_reason(reason), m_unitId(unitId)
    {
    }

    Reason reason() const noexcept { return m_reason; }
    // The unit whose factor is unusable.
    qint32 unitId() const noexcept { return m_unitId; }

private:
    Reason m_reason;
    qint32 m_unitId;
};

// value × factor(to) ÷ factor(from) in double precision, rounded to 6 decimal
// places (halves to even). Reads both factors, source first, through the shared
// result set and leaves it closed. Throws ConversionFailure for an unusable
// factor or a result beyond the double range, RuntimeError for a missing unit.
double ConvertByFactor(double value, qint32 fromUID, qint32 toUID);

// What the converter shows for the factor rule: the typed text read in double
// precision, converted by ConvertByFactor and written by NumberText::formatResult.
// Throws ConversionFailure also for a typed value beyond the double range.
QString FactorResultText(const QString& inputText, qint32 fromUID, qint32 toUID);

// Converts between two of the TemperatureScales() (exact names) in double
// precision and returns the result text with at most 15 significant digits;
// nothing when either name is not one of the four scales.
// Throws ConversionFailure for a value or result beyond the double range.
std::optional<QString> ConvertTemperature(const QString& fromScale, const QString& toScale, const QString& inputText);

// Rounds to 6 decimal places, halves to even: the double nearest that decimal.
double RoundToSixPlaces(double value);
