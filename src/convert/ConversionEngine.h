#pragma once

#include <QString>

#include <optional>

// The converter's arithmetic: the factor rule, the temperature rule and the
// properties that borrow another property's unit list.

// Replaces modMain::CurrentPropID by the property whose units it borrows, if any.
void ResolveUnitProperty();

// True for the two properties converted between temperature scales by formula.
bool IsTemperatureProperty(qint32 propId);

// value × factor(to) ÷ factor(from) in single precision, rounded to 6 decimal
// places (halves to even). Reads both factors through the shared result set and
// leaves it closed. Throws RuntimeError for a missing unit, an empty or zero
// source factor, or a result beyond single precision.
float ConvertByFactor(float value, qint32 fromUID, qint32 toUID);

// Converts between "Fahrenheit", "Celsius", "Rankine" and "Kelvin" (exact
// names) in double precision and returns the result text; nothing when either
// name is not one of the four scales.
std::optional<QString> ConvertTemperature(const QString& fromScale, const QString& toScale, const QString& inputText);

// Rounds to 6 decimal places, halves to even, keeping single precision.
float RoundToSixPlaces(float value);
