#pragma once

#include <QLocale>
#include <QString>

#include <optional>

// Numbers as users type and read them, in their locale's decimal separator.
namespace NumberText {

// True for an optional sign, digits with an optional decimal separator and
// fractional digits, and an optional exponent (E, sign, digits), with blanks
// around. A text of blanks only is not numeric; thousands separators are not
// accepted.
bool IsNumeric(const QString& text, const QLocale& locale = QLocale());

// Reads a text that IsNumeric accepts, in double precision. Throws
// RuntimeError: Type mismatch for any other text, Overflow beyond the range.
double parseDouble(const QString& text, const QLocale& locale = QLocale());

// value × 10^6 rounded to a whole number, halves to even, exactly (no error of
// the multiplication creeps in); nothing when value × 10^6 is 2^52 or more in
// magnitude, where a double holds no millionths.
std::optional<qint64> toMillionths(double value);

// The factor rule's result text: at most 7 significant digits, the last one
// rounded half away from zero, of a value rounded to 6 decimal places. The
// digits are those of that 6-place decimal, not of its binary neighbour, so
// 12345.675 shows as 12345.68.
QString formatResult(double value, const QLocale& locale = QLocale());

// General number text with at most 15 significant digits (the temperature rule).
// Both texts have no thousands separators, drop trailing zeros, and take the
// exponent form (1.234568E+07) where plain digits would not fit.
QString formatDouble(double value, const QLocale& locale = QLocale());

} // namespace NumberText
