#include "NumberText.h"

#include "data/RuntimeError.h"
#include "data/Variant.h"

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

QString format(double value, int digits, const QLocale& locale)
{
    if (value == 0.0 || !std::isfinite(value))
        return value == 0.0 ? QStringLiteral("0") : QString::number(value);

    // Round to the significant digits first: the exponent of the rounded value
    // decides between plain and exponent form.
    const QString scientific = QString::number(value, 'e', digits - 1);
    const int e = scientific.indexOf(QLatin1Char('e'));
    const int exponent = scientific.mid(e + 1).toInt();
    QString text;
    if (exponent >= digits || exponent < -4) {
        QString mantissa = scientific.left(e);
        if (mantissa.contains(QLatin1Char('.'))) {
            while (mantissa.endsWith(QLatin1Char('0')))
                mantissa.chop(1);
            if (mantissa.endsWith(QLatin1Char('.')))
                mantissa.chop(1);
        }
        const QString sign = exponent < 0 ? QStringLiteral("-") : QStringLiteral("+");
        text = mantissa + QLatin1Char('E') + sign + QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    } else {
        text = QString::number(value, 'f', digits - 1 - exponent);
        if (text.contains(QLatin1Char('.'))) {
            while (text.endsWith(QLatin1Char('0')))
                text.chop(1);
            if (text.endsWith(QLatin1Char('.')))
                text.chop(1);
        }
        if (text == QLatin1String("-0"))
            text = QStringLiteral("0");
    }
    return text.replace(QLatin1Char('.'), locale.decimalPoint());
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

float parseSingle(const QString& text, const QLocale& locale)
{
    return Variant::narrowToSingle(parseDouble(text, locale));
}

QString formatSingle(float value, const QLocale& locale)
{
    return format(static_cast<double>(value), 7, locale);
}

QString formatDouble(double value, const QLocale& locale)
{
    return format(value, 15, locale);
}

} // namespace NumberText
