// Result text of any finite number reads back as a number, with at most 7 (or
// 15) significant digits and within half a unit of the last digit shown (the
// factor rule's text also within half a millionth, its 6-place rounding).
#include "FuzzSupport.h"

#include "data/RuntimeError.h"
#include "engine/NumberText.h"

#include <QLocale>

#include <cmath>
#include <cstring>

namespace {

int significantDigits(const QString& text)
{
    QString mantissa = text.section(QLatin1Char('E'), 0, 0);
    mantissa.remove(QLatin1Char('-')).remove(QLatin1Char('.')).remove(QLatin1Char(','));
    while (mantissa.startsWith(QLatin1Char('0')))
        mantissa.remove(0, 1);
    return mantissa.size();
}

void check(double value, int digits, const QString& text, const QLocale& locale, double places = 0)
{
    FUZZ_CHECK(NumberText::IsNumeric(text, locale), "result text %s does not read back", qPrintable(text));
    FUZZ_CHECK(significantDigits(text) <= digits, "%s has more than %d digits", qPrintable(text), digits);
    double back = 0;
    try {
        back = NumberText::parseDouble(text, locale);
    } catch (const RuntimeError&) {
        // Only the largest doubles round up past the range when shown with 15 digits.
        FUZZ_CHECK(std::fabs(value) > 1.797693134862315e308, "%.17g shown as %s does not read back", value,
                   qPrintable(text));
        return;
    }
    // Half a unit of the last digit shown, plus the binary rounding of the text read back.
    const double ulp = std::fabs(std::nextafter(value, INFINITY) - value);
    const double tolerance = std::fabs(value) * 0.5 * std::pow(10.0, 1 - digits) + 4 * ulp + places;
    FUZZ_CHECK(std::fabs(back - value) <= tolerance || std::fabs(value) < 1e-300, "%.17g shown as %s", value,
               qPrintable(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const QLocale german(QStringLiteral("de_DE"));
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            check(value, 15, NumberText::formatDouble(value, QLocale::c()), QLocale::c());
            check(value, 15, NumberText::formatDouble(value, german), german);
            check(value, 7, NumberText::formatResult(value, QLocale::c()), QLocale::c(), 5e-7);
            check(value, 7, NumberText::formatResult(value, german), german, 5e-7);
        }
    }
    return 0;
}
