#include "Variant.h"

#include "RuntimeError.h"

#include <QRegularExpression>

#include <cmath>
#include <cstdint>

namespace Variant {

namespace {

void requireNotNull(const QVariant& value)
{
    if (!value.isValid() || value.isNull())
        throw RuntimeError(ErrorNumber::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}

[[noreturn]] void typeMismatch()
{
    throw RuntimeError(ErrorNumber::TypeMismatch, QStringLiteral("Type mismatch"));
}

[[noreturn]] void overflow()
{
    throw RuntimeError(ErrorNumber::Overflow, QStringLiteral("Overflow"));
}

} // namespace

QString toText(const QVariant& value)
{
    requireNotNull(value);
    return value.toString();
}

namespace {

// Plain decimal digits, as the catalogue's identifiers are, read without the
// general conversion; false for anything else (a sign, blanks, too many digits).
bool plainDigits(const QVariant& value, qint64& number)
{
    if (value.typeId() != QMetaType::QString)
        return false;
    const QString& text = *static_cast<const QString*>(value.constData());
    constexpr qsizetype MaxDigits = 18;
    if (text.isEmpty() || text.size() > MaxDigits)
        return false;
    qint64 sum = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        sum = sum * 10 + (c.unicode() - '0');
    }
    number = sum;
    return true;
}

} // namespace

qint32 toInt32(const QVariant& value)
{
    requireNotNull(value);
    if (qint64 digits = 0; plainDigits(value, digits)) {
        if (digits > INT32_MAX)
            overflow();
        return static_cast<qint32>(digits);
    }
    bool ok = false;
    qint64 number = 0;
    if (value.typeId() == QMetaType::QString || value.typeId() == QMetaType::QByteArray) {
        const QString text = value.toString().trimmed();
        number = text.toLongLong(&ok);
        if (!ok) {
            // Digits beyond 64 bits are still a number, just an overflowing one.
            static const QRegularExpression digits(QStringLiteral("^[+-]?[0-9]+$"));
            if (digits.match(text).hasMatch())
                overflow();
            typeMismatch();
        }
    } else {
        const double real = value.toDouble(&ok);
        if (!ok || !std::isfinite(real))
            typeMismatch();
        if (std::fabs(real) > 4.0e18)
            overflow();
        number = std::llround(real);
    }
    if (number < INT32_MIN || number > INT32_MAX)
        overflow();
    return static_cast<qint32>(number);
}

double toDouble(const QVariant& value)
{
    requireNotNull(value);
    bool ok = false;
    const double number =
        value.typeId() == QMetaType::QString ? value.toString().trimmed().toDouble(&ok) : value.toDouble(&ok);
    if (!ok || std::isnan(number))
        typeMismatch();
    if (std::isinf(number))
        overflow();
    return number;
}

} // namespace Variant
