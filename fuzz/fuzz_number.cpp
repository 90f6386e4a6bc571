// The numeric check and the parser must agree: whatever text the check
// accepts, the parser converts (or reports an overflow), and whatever it
// refuses, the parser refuses as a type mismatch.
#include "FuzzSupport.h"

#include "data/RuntimeError.h"
#include "engine/NumberText.h"

#include <QLocale>

#include <cmath>

namespace {

void checkAgreement(const QString& text, const QLocale& locale)
{
    const bool numeric = NumberText::IsNumeric(text, locale);
    try {
        const double value = NumberText::parseDouble(text, locale);
        FUZZ_CHECK(numeric, "parsed a text the check refuses: %s", qPrintable(text));
        FUZZ_CHECK(std::isfinite(value), "non-finite value from %s", qPrintable(text));
    } catch (const RuntimeError& error) {
        if (numeric)
            FUZZ_CHECK(error.number() == ErrorNumber::Overflow, "accepted text not parsed (%d): %s", error.number(),
                       qPrintable(text));
        else
            FUZZ_CHECK(error.number() == ErrorNumber::TypeMismatch, "refused text gave %d: %s", error.number(),
                       qPrintable(text));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = textOf(data, size);
    static const QLocale c = QLocale::c();
    static const QLocale german(QStringLiteral("de_DE"));
    checkAgreement(text, c);
    checkAgreement(text, german);
    return 0;
}
