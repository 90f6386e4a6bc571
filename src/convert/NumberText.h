#pragma once

#include <QLocale>
#include <QString>

// Numbers as users type and read them, in their locale's decimal separator.
namespace NumberText {

// True for an optional sign, digits with an optional decimal separator and
// fractional digits, and an optional exponent (E, sign, digits), with blanks
// around. A text of blanks only is not numeric; thousands separators are not
// accepted.
bool IsNumeric(const QString& text, const QLocale& locale = QLocale());

// Reads a text that IsNumeric accepts. Throws RuntimeError: Type mismatch for
// any other text, Overflow for a number beyond the type's range.
double parseDouble(const QString& text, const QLocale& locale = QLocale());
float parseSingle(const QString& text, const QLocale& locale = QLocale());

// General number text: at most 7 significant digits for single precision and
// 15 for double, no thousands separators, trailing zeros dropped, exponent form
// (1.234568E+07) where plain digits would not fit.
QString formatSingle(float value, const QLocale& locale = QLocale());
QString formatDouble(double value, const QLocale& locale = QLocale());

} // namespace NumberText
