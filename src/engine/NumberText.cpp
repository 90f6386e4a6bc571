#include "NumberText.h"

#include "data/RuntimeError.h"

#include <cmath>

namespace NumberText {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Scans the number grammar and returns it in C form ("-1.5e+3"), or an empty
// string when the text is not numeric.
QString normalise(const QString& text, const QLocale& locale)
{
    const QString body = text.trimmed();
    const QString separator = locale.decimalPoint();
    QString out;
    int i = 0;
    const int n = body.size();
    if (i < n && (body[i] == QLatin1Char('+') || body[i] == QLatin1Char('-')))
        out += body[i++];
    int digits = 0;
    while (i < n && isDigit(body[i])) {
        out += body[i++];
        ++digits;
    }
    if (!separator.isEmpty() && QStringView(body).mid(i).startsWith(separator)) {
        i += separator.size();
        out += QLatin1Char('.');
        while (i < n && isDigit(body[i])) {
            out += body[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return {};
    if (i < n && (body[i] == QLatin1Char('e') || body[i] == QLatin1Char('E'))) {
        out += QLatin1Char('e');
        ++i;
        if (i < n && (body[i] == QLatin1Char('+') || body[i] == QLatin1Char('-')))
            out += body[i++];
        int exponentDigits = 0;
        while (i < n && isDigit(body[i])) {
            out += body[i++];
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return {};
    }
    return i == n ? out : QString();
}

// A number as its significant digits and the power of ten of the first one:
// 1.5E+03 is {false, "15", 3}.
struct Digits
{
    bool negative;
    QString digits;
    int exponent;
};

// The digits of a nonzero finite value rounded to `count` significant digits
// (exact binary halves away from zero).
Digits roundedDigits(double value, int count)
{
    const QString scientific = QString::number(std::fabs(value), 'e', count - 1);
    const int e = scientific.indexOf(QLatin1Char('e'));
    return {std::signbit(value), scientific.left(e).remove(QLatin1Char('.')), scientific.mid(e + 1).toInt()};
}

// Keeps the first `count` digits, rounding the last one half away from zero.
Digits roundedDigits(Digits number, int count)
{
    if (number.digits.size() <= count)
        return number;
    const bool up = number.digits.at(count) >= QLatin1Char('5');
    number.digits.truncate(count);
    if (!up)
        return number;
    int i = count - 1;
    for (; i >= 0 && number.digits.at(i) == QLatin1Char('9'); --i)
        number.digits[i] = QLatin1Char('0');
    if (i < 0) {
        number.digits.prepend(QLatin1Char('1'));
        number.digits.chop(1);
        ++number.exponent;
    } else {
        number.digits[i] = QChar(number.digits.at(i).unicode() + 1);
    }
    return number;
}

// Plain digits while they fit in `count` significant digits and need at most
// four zeros after the separator; exponent form otherwise.
QString layout(Digits number, int count, const QLocale& locale)
{
    QString& digits = number.digits;
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    if (digits == QLatin1String("0"))
        return QStringLiteral("0");
    const int e = number.exponent;
    const QString point = locale.decimalPoint();
    QString text;
    if (e >= count || e < -4) {
        text = digits.left(1);
        if (digits.size() > 1)
            text += point + digits.mid(1);
        text += (e < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) +
                QStringLiteral("%1").arg(std::abs(e), 2, 10, QLatin1Char('0'));
    } else if (e >= 0) {
        const QString padded = digits.leftJustified(e + 1, QLatin1Char('0'));
        text = padded.left(e + 1);
        if (padded.size() > e + 1)
            text += point + padded.mid(e + 1);
    } else {
        text = QStringLiteral("0") + point + QString(-e - 1, QLatin1Char('0')) + digits;
    }
    return number.negative ? QLatin1Char('-') + text : text;
}

} // namespace

bool IsNumeric(const QString& text, const QLocale& locale)
{
    return !normalise(text, locale).isEmpty();
}

double parseDouble(const QString& text, const QLocale& locale)
{
    const QString plain = normalise(text, locale);
    if (plain.isEmpty())
        throw RuntimeError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
    // The grammar is checked above, so the C-locale reading cannot fail on the
    // form; it only reports ranges: an underflow reads as 0, an overflow as infinity.
    bool inRange = false;
    const double value = plain.toDouble(&inRange);
    if (std::isinf(value))
        throw RuntimeError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
    return value;
}

std::optional<qint64> toMillionths(double value)
{
    const double scaled = value * 1e6;
    if (!(std::fabs(scaled) < 0x1p52))
        return std::nullopt;
    // The product above is rounded. fma yields the exact value × 10^6 less a
    // whole number, rounded once, so its sign is exact: it settles both the
    // whole part and which side of the half the value lies on.
    double whole = std::floor(scaled);
    if (std::fma(value, 1e6, -whole) < 0)
        whole -= 1;
    else if (std::fma(value, 1e6, -(whole + 1)) >= 0)
        whole += 1;
    const double pastHalf = std::fma(value, 1e6, -(whole + 0.5));
    qint64 millionths = static_cast<qint64>(whole);
    if (pastHalf > 0 || (pastHalf == 0 && millionths % 2 != 0))
        ++millionths;
    return millionths;
}

QString formatResult(double value, const QLocale& locale)
{
    if (!std::isfinite(value))
        return QString::number(value);
    if (const std::optional<qint64> millionths = toMillionths(value)) {
        const QString digits = QString::number(std::abs(*millionths));
        return layout(roundedDigits(Digits{*millionths < 0, digits, int(digits.size()) - 7}, 7), 7, locale);
    }
    // Beyond 2^52 millionths the 6-place rounding cannot move the seventh digit.
    return layout(roundedDigits(value, 7), 7, locale);
}

QString formatDouble(double value, const QLocale& locale)
{
    if (value == 0.0 || !std::isfinite(value))
        return value == 0.0 ? QStringLiteral("0") : QString::number(value);
    return layout(roundedDigits(value, 15), 15, locale);
}

} // namespace NumberText
