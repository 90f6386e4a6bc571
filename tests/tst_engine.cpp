#include "CatalogueRows.h"
#include "DataTable.h"
#include "TestDatabase.h"

#include "data/RuntimeError.h"
#include "data/Schema.h"
#include "data/modMain.h"
#include "engine/ConversionEngine.h"
#include "engine/NumberText.h"

#include <QtTest>

namespace {

// The units the factor conversions run on, faulty factors among them, opened
// as the program's shared connection.
struct FactorUnits : TestDatabase
{
    FactorUnits()
    {
        TestKit::addRows(*this, {},
                         {{"1", "One", 1.0, "1015"},
                          {"2", "Two", 2.0, "1015"},
                          {"3", "Three", 3.0, "1015"},
                          {"4", "Foot", 1 / 0.3048, "1015"},
                          {"5", "Half", 0.5, "1015"},
                          {"6", "Zero", 0.0, "1015"},
                          {"7", "Empty", QVariant(QMetaType(QMetaType::Double)), "1015"},
                          {"8", "Text", QStringLiteral("lots"), "1015"},
                          {"9", "Ten", 10.0, "1015"},
                          {"10", "Kilo", 0.001, "1015"},
                          {"11", "Exa", 1e-18, "1015"},
                          {"12", "Quecto", 1e30, "1015"},
                          {"13", "Kilogram-force per square metre", 1 / 9.80665, "1021"},
                          {"14", "Hectopascal", 0.01, "1021"},
                          {"15", "Horsepower (metric)", 0.001359621617303904, "1044"},
                          {"16", "Nanowatt", 999999999.9999998, "1044"},
                          {"17", "Negative", -2.0, "1015"},
                          {"18", "NaN", QStringLiteral("NaN"), "1015"}});
        openShared();
    }
};

} // namespace

class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void resolveUnitProperty_data()
    {
        const TestKit::DataTable<QString, QString> row("chosen", "listed");
        const auto add = [&row](const QString& chosen, const QString& listed) {
            row(qPrintable(chosen.isEmpty() ? QStringLiteral("empty") : chosen), chosen, listed);
        };
        for (const UnitBorrowing& borrowing : UnitBorrowings())
            add(QString::number(borrowing.property), QString::number(borrowing.unitsOf));
        // A lender, a temperature, nothing, and a borrower's identifier in other text list their own units.
        const QString lender = QString::number(UnitBorrowings().first().unitsOf);
        const QString borrower = QString::number(UnitBorrowings().first().property);
        for (const QString& own : {lender, QString::number(TemperatureProperties().first()), QString(), " " + borrower})
            add(own, own);
    }

    void resolveUnitProperty()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, listed);
        modMain::CurrentPropID = chosen;
        ResolveUnitProperty();
        QCOMPARE(modMain::CurrentPropID, listed);
    }

    void convertByFactor_data()
    {
        const TestKit::DataTable<QString, int, int, QString> row("value", "from", "to", "text");
        row("1 from factor 3 to factor 1", "1", 3, 1, "0.333333");
        row("2.5 from factor 0.5 to factor 2", "2.5", 5, 2, "10");
        row("same unit, 7 digits", "1.23456789", 1, 1, "1.234568");
        row("same unit, large", "123456.7", 2, 2, "123456.7");
        row("below half a millionth", "0.0000004", 1, 1, "0");
        row("negative", "-1", 3, 1, "-0.333333");
        row("exponent form", "12345678", 1, 1, "1.234568E+07");
        row("foot to metre", "1", 4, 1, "0.3048");
        row("thousandth to one", "1", 10, 1, "1000");
        row("one to thousandth", "0.7", 1, 10, "0.0007");
        // Read in double precision, a value keeps its digits.
        row("0.1 in thirds", "0.1", 1, 3, "0.3");
        row("beyond single", "1E39", 1, 2, "2E+39");
        row("far apart factors", "1", 11, 12, "1E+48");
        // 1/128 and 3/128 end in a 5 at the seventh place: halves go to even.
        row("half to even, down", "0.0078125", 1, 1, "0.007812");
        row("half to even, up", "0.0234375", 1, 1, "0.023438");
        row("negative half to even", "-0.0078125", 1, 1, "-0.007812");
        // 9.80665 / 100 is a half at the seventh place in decimal; the stored
        // factors' exact quotient lies below it, though the double quotient does not.
        row("exact quotient below a half", "1", 13, 14, "0.098066");
        // 735498.75 W in nW: the exact quotient lies just below a half of the
        // seventh digit, the double quotient on it.
        row("exact quotient below a seventh-digit half", "1", 15, 16, "7.354987E+11");
        row("seventh digit, half up", "12345.675", 1, 1, "12345.68");
        row("large half up", "1234567500000", 1, 1, "1.234568E+12");
        row("rounds up to a power of ten", "9999999.6", 1, 1, "1E+07");
        row("negative zero", "-0", 1, 1, "0");
    }

    void convertByFactor()
    {
        QFETCH(QString, value);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, text);
        FactorUnits db;
        QCOMPARE(FactorResultText(value, from, to), text);
        QVERIFY(!modMain::dbRecordset.isOpen());
    }

    void convertByFactorFailures_data()
    {
        const TestKit::DataTable<QString, int, int, int, int, int> row("value", "from", "to", "error", "reason",
                                                                       "unit");
        constexpr int NoReason = -1;
        const int unusable = int(ConversionFailure::Reason::UnusableFactor);
        const int valueRange = int(ConversionFailure::Reason::ValueOutOfRange);
        const int resultRange = int(ConversionFailure::Reason::ResultOutOfRange);
        row("unknown source unit", "1", 99, 1, ErrorNumber::NoCurrentRecord, NoReason, 0);
        row("unknown target unit", "1", 1, 99, ErrorNumber::NoCurrentRecord, NoReason, 0);
        row("source factor 0", "1", 6, 1, ErrorNumber::DivisionByZero, unusable, 6);
        row("target factor 0", "1", 1, 6, ErrorNumber::DivisionByZero, unusable, 6);
        row("negative factor", "1", 1, 17, ErrorNumber::DivisionByZero, unusable, 17);
        row("empty factor", "1", 7, 1, ErrorNumber::InvalidUseOfNull, unusable, 7);
        row("text factor", "1", 1, 8, ErrorNumber::TypeMismatch, unusable, 8);
        row("not-a-number factor", "1", 18, 1, ErrorNumber::TypeMismatch, unusable, 18);
        row("value beyond double", "1E400", 1, 9, ErrorNumber::Overflow, valueRange, 0);
        row("result beyond double", "1E308", 1, 9, ErrorNumber::Overflow, resultRange, 0);
        row("not numeric", "x", 1, 9, ErrorNumber::TypeMismatch, NoReason, 0);
    }

    void convertByFactorFailures()
    {
        QFETCH(QString, value);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, error);
        QFETCH(int, reason);
        QFETCH(int, unit);
        FactorUnits db;
        int gotReason = -1;
        int gotUnit = 0;
        const int gotError = errorOf([&] {
            try {
                FactorResultText(value, from, to);
            } catch (const ConversionFailure& failure) {
                gotReason = int(failure.reason());
                gotUnit = failure.unitId();
                throw;
            }
        });
        QCOMPARE(gotError, error);
        QCOMPARE(gotReason, reason);
        QCOMPARE(gotUnit, unit);
        // The next query of any window still opens normally.
        modMain::OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("1")});
        QCOMPARE(modMain::dbRecordset.Fields(Schema::UnitColumn::uname).Value().toString(), QStringLiteral("One"));
    }

    void convertTemperature_data()
    {
        const TestKit::DataTable<QString, QString, QString, QString> row("from", "to", "input", "output");
        row("98.6 F to C", "Fahrenheit", "Celsius", "98.6", "37");
        row("100 C to F", "Celsius", "Fahrenheit", "100", "212");
        row("100 F to C", "Fahrenheit", "Celsius", "100", "37.7777777777778");
        row("0 C to K", "Celsius", "Kelvin", "0", "273.15");
        row("-40 F to C", "Fahrenheit", "Celsius", "-40", "-40");
        row("300 K to C", "Kelvin", "Celsius", "300", "26.85");
        row("0 F to R", "Fahrenheit", "Rankine", "0", "459.67");
        row("180 R to K", "Rankine", "Kelvin", " 180 ", "100");
        row("0 K to F", "Kelvin", "Fahrenheit", "0", "-459.67");
        row("491.67 R to C", "Rankine", "Celsius", "491.67", "0");
        row("0.1 C to K", "Celsius", "Kelvin", "0.1", "273.25");
        row("beyond single", "Kelvin", "Rankine", "1e39", "1.8E+39");
        row("F to F keeps blanks", "Fahrenheit", "Fahrenheit", " 98.6 ", " 98.6 ");
        row("C to C keeps text", "Celsius", "Celsius", "1e1", "1e1");
        row("K to K trims", "Kelvin", "Kelvin", " 300 ", "300");
        row("R to R trims", "Rankine", "Rankine", " 1 ", "1");
    }

    void convertTemperature()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, input);
        QFETCH(QString, output);
        const std::optional<QString> result = ConvertTemperature(from, to, input);
        QVERIFY(result.has_value());
        QCOMPARE(*result, output);
    }

    void temperatureFailures_data()
    {
        const TestKit::DataTable<QString, int> row("input", "reason");
        row("value beyond double", "1e400", int(ConversionFailure::Reason::ValueOutOfRange));
        row("result beyond double", "1.7e308", int(ConversionFailure::Reason::ResultOutOfRange));
    }

    void temperatureFailures()
    {
        QFETCH(QString, input);
        QFETCH(int, reason);
        int got = -1;
        try {
            ConvertTemperature(QStringLiteral("Celsius"), QStringLiteral("Fahrenheit"), input);
        } catch (const ConversionFailure& failure) {
            got = int(failure.reason());
            QCOMPARE(failure.number(), ErrorNumber::Overflow);
        }
        QCOMPARE(got, reason);
    }

    void temperatureNamesMatchExactly()
    {
        QVERIFY(!ConvertTemperature(QStringLiteral("celsius"), QStringLiteral("Kelvin"), "1").has_value());
        QVERIFY(!ConvertTemperature(QStringLiteral("Kelvin"), QStringLiteral("Celsius "), "1").has_value());
        QVERIFY(!ConvertTemperature(QStringLiteral("Degree"), QStringLiteral("Degree"), "1").has_value());
        QVERIFY(!TemperatureProperties().isEmpty());
        for (const qint32 id : TemperatureProperties())
            QVERIFY(IsTemperatureProperty(id));
        QVERIFY(!IsTemperatureProperty(UnitBorrowings().first().unitsOf));
    }

    void numericCheck_data()
    {
        const TestKit::DataTable<QString, QString, bool, double> row("locale", "text", "numeric", "value");
        row("plain", "C", "12", true, 12.0);
        row("blanks around", "C", "  -1.5e3 ", true, -1500.0);
        row("leading separator", "C", ".5", true, 0.5);
        row("trailing separator", "C", "5.", true, 5.0);
        row("plus sign", "C", "+7", true, 7.0);
        row("exponent sign", "C", "1E-2", true, 0.01);
        row("blanks only", "C", "   ", false, 0.0);
        row("empty", "C", "", false, 0.0);
        row("double sign", "C", "--1", false, 0.0);
        row("bare exponent", "C", "1e", false, 0.0);
        row("hex", "C", "0x10", false, 0.0);
        row("nan", "C", "NaN", false, 0.0);
        row("infinity", "C", "Infinity", false, 0.0);
        row("comma in C", "C", "1,5", false, 0.0);
        row("thousands", "C", "1,000.5", false, 0.0);
        row("inner blank", "C", "1 2", false, 0.0);
        row("sign alone", "C", "-", false, 0.0);
        row("arabic digits", "C", QString::fromUtf8("\u0661"), false, 0.0);
        row("German comma", "de_DE", "1,5", true, 1.5);
        row("German point", "de_DE", "1.5", false, 0.0);
        row("German exponent", "de_DE", "-2,5E2", true, -250.0);
    }

    void numericCheck()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QFETCH(double, value);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(NumberText::IsNumeric(text), numeric);
        if (numeric)
            QCOMPARE(NumberText::parseDouble(text), value);
        else
            QCOMPARE(errorOf([&] { NumberText::parseDouble(text); }), ErrorNumber::TypeMismatch);
    }

    void parsingRanges()
    {
        QCOMPARE(NumberText::parseDouble(QStringLiteral("1e39")), 1e39);
        QCOMPARE(NumberText::parseDouble(QStringLiteral("98.6")), 98.6);
        QCOMPARE(errorOf([] { NumberText::parseDouble(QStringLiteral("1e400")); }), ErrorNumber::Overflow);
        QCOMPARE(errorOf([] { NumberText::parseDouble(QStringLiteral("-1e309")); }), ErrorNumber::Overflow);
        QCOMPARE(NumberText::parseDouble(QStringLiteral("1.7976931348623157e308")), 1.7976931348623157e308);
        QCOMPARE(NumberText::parseDouble(QStringLiteral("1e-400")), 0.0);
    }

    void resultText_data()
    {
        const TestKit::DataTable<double, bool, QString, QString> row("value", "factorRule", "locale", "text");
        row("whole", 212.0, true, "C", "212");
        row("zero", 0.0, true, "C", "0");
        row("negative zero", -0.0, false, "C", "0");
        row("negative zero, factor rule", -0.0, true, "C", "0");
        row("below one", 0.5, true, "C", "0.5");
        row("7 digits", 1234567.0, true, "C", "1234567");
        row("8 digits", 12345678.0, true, "C", "1.234568E+07");
        row("rounds up into exponent", 9999999.6, true, "C", "1E+07");
        row("ten thousandth", 0.0001, true, "C", "0.0001");
        row("hundred thousandth", 0.00001, true, "C", "1E-05");
        row("millionth", 0.000001, true, "C", "1E-06");
        row("small negative", -0.000012, true, "C", "-1.2E-05");
        row("read as 6 places", 0.3333333333, true, "C", "0.333333");
        row("decimal half, not its binary neighbour", 12345.675, true, "C", "12345.68");
        row("decimal half, negative", -12345.675, true, "C", "-12345.68");
        row("below the decimal half", 12345.674999, true, "C", "12345.67");
        row("thousand", 999.9999999999999, true, "C", "1000");
        row("largest single", 3.4028234663852886e38, true, "C", "3.402823E+38");
        row("largest double", 1.7976931348623157e308, true, "C", "1.797693E+308");
        row("large, half up", 1234567500000.0, true, "C", "1.234568E+12");
        row("double 15 digits", 1.0 / 3.0, false, "C", "0.333333333333333");
        row("double large", 1e15, false, "C", "1E+15");
        row("double just fits", 123456789012345.0, false, "C", "123456789012345");
        row("double big exponent", 1.5e300, false, "C", "1.5E+300");
        row("double small", 1.25e-7, false, "C", "1.25E-07");
        row("double below one", -0.0625, false, "C", "-0.0625");
        row("German single", 0.3048, true, "de_DE", "0,3048");
        row("German exponent", 9.46073047258e12, true, "de_DE", "9,46073E+12");
        row("German double", 36.99999915228953, false, "de_DE", "36,9999991522895");
        row("German no grouping", 1234567.0, true, "de_DE", "1234567");
    }

    void resultText()
    {
        QFETCH(double, value);
        QFETCH(bool, factorRule);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(factorRule ? NumberText::formatResult(value) : NumberText::formatDouble(value), text);
    }

    void millionths_data()
    {
        const TestKit::DataTable<double, qint64> row("value", "millionths");
        row("third", 1.0 / 3.0, qint64(333333));
        row("half to even, down", 0.0078125, qint64(7812));
        row("half to even, up", 0.0234375, qint64(23438));
        row("negative half", -0.0078125, qint64(-7812));
        // The double nearest 0.0000125 lies above it; its product with 10^6 rounds to 12.5.
        row("just above a half, product on it", 0.0000125, qint64(13));
        row("large", 4503599627.0, qint64(4503599627000000));
    }

    void millionths()
    {
        QFETCH(double, value);
        QFETCH(qint64, millionths);
        const std::optional<qint64> got = NumberText::toMillionths(value);
        QVERIFY(got);
        QCOMPARE(*got, millionths);
    }

    void noMillionthsBeyondTheirRange()
    {
        QVERIFY(!NumberText::toMillionths(4503599628.0));
        QVERIFY(!NumberText::toMillionths(-1e300));
        QVERIFY(!NumberText::toMillionths(std::numeric_limits<double>::quiet_NaN()));
    }

    void germanTemperature()
    {
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        QCOMPARE(*ConvertTemperature(QStringLiteral("Fahrenheit"), QStringLiteral("Celsius"), QStringLiteral("98,6")),
                 QStringLiteral("37"));
        QCOMPARE(*ConvertTemperature(QStringLiteral("Celsius"), QStringLiteral("Fahrenheit"), QStringLiteral("-0,5")),
                 QStringLiteral("31,1"));
    }

    void roundsHalvesToEven()
    {
        // 1/128 and 3/128 are exact in binary and end in a 5 at the seventh place.
        QCOMPARE(RoundToSixPlaces(0.0078125), 0.007812);
        QCOMPARE(RoundToSixPlaces(0.0234375), 0.023438);
        QCOMPARE(RoundToSixPlaces(-0.0078125), -0.007812);
        QCOMPARE(RoundToSixPlaces(1.0 / 3.0), 0.333333);
        QCOMPARE(RoundToSixPlaces(3e30), 3e30);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
