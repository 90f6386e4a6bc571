#include "TestDatabase.h"

#include "data/RuntimeError.h"
#include "data/Schema.h"
#include "data/modMain.h"
#include "engine/ConversionEngine.h"
#include "engine/NumberText.h"

#include <QtTest>

class TestEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void resolveUnitProperty_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("listed");
        QList<QPair<QString, QString>> cases;
        for (const UnitBorrowing& borrowing : UnitBorrowings())
            cases.append({QString::number(borrowing.property), QString::number(borrowing.unitsOf)});
        // A lender, a temperature, nothing, and a borrower's identifier in other text list their own units.
        const QString lender = QString::number(UnitBorrowings().first().unitsOf);
        const QString borrower = QString::number(UnitBorrowings().first().property);
        const QString temperature = QString::number(TemperatureProperties().first());
        cases += {{lender, lender}, {temperature, temperature}, {"", ""}, {" " + borrower, " " + borrower}};
        for (const auto& c : cases)
            QTest::newRow(qPrintable(c.first.isEmpty() ? QStringLiteral("empty") : c.first)) << c.first << c.second;
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
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 from factor 3 to factor 1") << "1" << 3 << 1 << QStringLiteral("0.333333");
        QTest::newRow("2.5 from factor 0.5 to factor 2") << "2.5" << 5 << 2 << QStringLiteral("10");
        QTest::newRow("same unit, 7 digits") << "1.23456789" << 1 << 1 << QStringLiteral("1.234568");
        QTest::newRow("same unit, large") << "123456.7" << 2 << 2 << QStringLiteral("123456.7");
        QTest::newRow("below half a millionth") << "0.0000004" << 1 << 1 << QStringLiteral("0");
        QTest::newRow("negative") << "-1" << 3 << 1 << QStringLiteral("-0.333333");
        QTest::newRow("exponent form") << "12345678" << 1 << 1 << QStringLiteral("1.234568E+07");
        QTest::newRow("foot to metre") << "1" << 4 << 1 << QStringLiteral("0.3048");
        QTest::newRow("thousandth to one") << "1" << 10 << 1 << QStringLiteral("1000");
        QTest::newRow("one to thousandth") << "0.7" << 1 << 10 << QStringLiteral("0.0007");
        // Read in double precision, a value keeps its digits.
        QTest::newRow("0.1 in thirds") << "0.1" << 1 << 3 << QStringLiteral("0.3");
        QTest::newRow("beyond single") << "1E39" << 1 << 2 << QStringLiteral("2E+39");
        QTest::newRow("far apart factors") << "1" << 11 << 12 << QStringLiteral("1E+48");
        // 1/128 and 3/128 end in a 5 at the seventh place: halves go to even.
        QTest::newRow("half to even, down") << "0.0078125" << 1 << 1 << QStringLiteral("0.007812");
        QTest::newRow("half to even, up") << "0.0234375" << 1 << 1 << QStringLiteral("0.023438");
        QTest::newRow("negative half to even") << "-0.0078125" << 1 << 1 << QStringLiteral("-0.007812");
        // 9.80665 / 100 is a half at the seventh place in decimal; the stored
        // factors' exact quotient lies below it, though the double quotient does not.
        QTest::newRow("exact quotient below a half") << "1" << 13 << 14 << QStringLiteral("0.098066");
        // 735498.75 W in nW: the exact quotient lies just below a half of the
        // seventh digit, the double quotient on it.
        QTest::newRow("exact quotient below a seventh-digit half") << "1" << 15 << 16 << QStringLiteral("7.354987E+11");
        QTest::newRow("seventh digit, half up") << "12345.675" << 1 << 1 << QStringLiteral("12345.68");
        QTest::newRow("large half up") << "1234567500000" << 1 << 1 << QStringLiteral("1.234568E+12");
        QTest::newRow("rounds up to a power of ten") << "9999999.6" << 1 << 1 << QStringLiteral("1E+07");
        QTest::newRow("negative zero") << "-0" << 1 << 1 << QStringLiteral("0");
    }

    void convertByFactor()
    {
        QFETCH(QString, value);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, text);
        TestDatabase db;
        db.addUnit("1", "One", 1.0, "1015");
        db.addUnit("2", "Two", 2.0, "1015");
        db.addUnit("3", "Three", 3.0, "1015");
        db.addUnit("4", "Foot", 1 / 0.3048, "1015");
        db.addUnit("5", "Half", 0.5, "1015");
        db.addUnit("10", "Kilo", 0.001, "1015");
        db.addUnit("11", "Exa", 1e-18, "1015");
        db.addUnit("12", "Quecto", 1e30, "1015");
        db.addUnit("13", "Kilogram-force per square metre", 1 / 9.80665, "1021");
        db.addUnit("14", "Hectopascal", 0.01, "1021");
        db.addUnit("15", "Horsepower (metric)", 0.001359621617303904, "1044");
        db.addUnit("16", "Nanowatt", 999999999.9999998, "1044");
        db.openShared();
        QCOMPARE(FactorResultText(value, from, to), text);
        QVERIFY(!modMain::dbRecordset.isOpen());
    }

    void convertByFactorFailures_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("error");
        QTest::addColumn<int>("reason");
        QTest::addColumn<int>("unit");
        constexpr int NoReason = -1;
        const int unusable = int(ConversionFailure::Reason::UnusableFactor);
        const int valueRange = int(ConversionFailure::Reason::ValueOutOfRange);
        const int resultRange = int(ConversionFailure::Reason::ResultOutOfRange);
        QTest::newRow("unknown source unit") << "1" << 99 << 1 << ErrorNumber::NoCurrentRecord << NoReason << 0;
        QTest::newRow("unknown target unit") << "1" << 1 << 99 << ErrorNumber::NoCurrentRecord << NoReason << 0;
        QTest::newRow("source factor 0") << "1" << 6 << 1 << ErrorNumber::DivisionByZero << unusable << 6;
        QTest::newRow("target factor 0") << "1" << 1 << 6 << ErrorNumber::DivisionByZero << unusable << 6;
        QTest::newRow("negative factor") << "1" << 1 << 10 << ErrorNumber::DivisionByZero << unusable << 10;
        QTest::newRow("empty factor") << "1" << 7 << 1 << ErrorNumber::InvalidUseOfNull << unusable << 7;
        QTest::newRow("text factor") << "1" << 1 << 8 << ErrorNumber::TypeMismatch << unusable << 8;
        QTest::newRow("not-a-number factor") << "1" << 11 << 1 << ErrorNumber::TypeMismatch << unusable << 11;
        QTest::newRow("value beyond double") << "1E400" << 1 << 9 << ErrorNumber::Overflow << valueRange << 0;
        QTest::newRow("result beyond double") << "1E308" << 1 << 9 << ErrorNumber::Overflow << resultRange << 0;
        QTest::newRow("not numeric") << "x" << 1 << 9 << ErrorNumber::TypeMismatch << NoReason << 0;
    }

    void convertByFactorFailures()
    {
        QFETCH(QString, value);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, error);
        QFETCH(int, reason);
        QFETCH(int, unit);
        TestDatabase db;
        db.addUnit("1", "One", 1.0, "1015");
        db.addUnit("6", "Zero", 0.0, "1015");
        db.addUnit("7", "Empty", QVariant(QMetaType(QMetaType::Double)), "1015");
        db.addUnit("8", "Text", QStringLiteral("lots"), "1015");
        db.addUnit("9", "Ten", 10.0, "1015");
        db.addUnit("10", "Negative", -2.0, "1015");
        db.addUnit("11", "NaN", QStringLiteral("NaN"), "1015");
        db.openShared();
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
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("98.6 F to C") << "Fahrenheit"
                                     << "Celsius"
                                     << "98.6"
                                     << "37";
        QTest::newRow("100 C to F") << "Celsius"
                                    << "Fahrenheit"
                                    << "100"
                                    << "212";
        QTest::newRow("100 F to C") << "Fahrenheit"
                                    << "Celsius"
                                    << "100"
                                    << "37.7777777777778";
        QTest::newRow("0 C to K") << "Celsius"
                                  << "Kelvin"
                                  << "0"
                                  << "273.15";
        QTest::newRow("-40 F to C") << "Fahrenheit"
                                    << "Celsius"
                                    << "-40"
                                    << "-40";
        QTest::newRow("300 K to C") << "Kelvin"
                                    << "Celsius"
                                    << "300"
                                    << "26.85";
        QTest::newRow("0 F to R") << "Fahrenheit"
                                  << "Rankine"
                                  << "0"
                                  << "459.67";
        QTest::newRow("180 R to K") << "Rankine"
                                    << "Kelvin"
                                    << " 180 "
                                    << "100";
        QTest::newRow("0 K to F") << "Kelvin"
                                  << "Fahrenheit"
                                  << "0"
                                  << "-459.67";
        QTest::newRow("491.67 R to C") << "Rankine"
                                       << "Celsius"
                                       << "491.67"
                                       << "0";
        QTest::newRow("0.1 C to K") << "Celsius"
                                    << "Kelvin"
                                    << "0.1"
                                    << "273.25";
        QTest::newRow("beyond single") << "Kelvin"
                                       << "Rankine"
                                       << "1e39"
                                       << "1.8E+39";
        QTest::newRow("F to F keeps blanks") << "Fahrenheit"
                                             << "Fahrenheit"
                                             << " 98.6 "
                                             << " 98.6 ";
        QTest::newRow("C to C keeps text") << "Celsius"
                                           << "Celsius"
                                           << "1e1"
                                           << "1e1";
        QTest::newRow("K to K trims") << "Kelvin"
                                      << "Kelvin"
                                      << " 300 "
                                      << "300";
        QTest::newRow("R to R trims") << "Rankine"
                                      << "Rankine"
                                      << " 1 "
                                      << "1";
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
        QTest::addColumn<QString>("input");
        QTest::addColumn<int>("reason");
        QTest::newRow("value beyond double") << "1e400" << int(ConversionFailure::Reason::ValueOutOfRange);
        QTest::newRow("result beyond double") << "1.7e308" << int(ConversionFailure::Reason::ResultOutOfRange);
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
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "C"
                               << "12" << true << 12.0;
        QTest::newRow("blanks around") << "C"
                                       << "  -1.5e3 " << true << -1500.0;
        QTest::newRow("leading separator") << "C"
                                           << ".5" << true << 0.5;
        QTest::newRow("trailing separator") << "C"
                                            << "5." << true << 5.0;
        QTest::newRow("plus sign") << "C"
                                   << "+7" << true << 7.0;
        QTest::newRow("exponent sign") << "C"
                                       << "1E-2" << true << 0.01;
        QTest::newRow("blanks only") << "C"
                                     << "   " << false << 0.0;
        QTest::newRow("empty") << "C"
                               << "" << false << 0.0;
        QTest::newRow("double sign") << "C"
                                     << "--1" << false << 0.0;
        QTest::newRow("bare exponent") << "C"
                                       << "1e" << false << 0.0;
        QTest::newRow("hex") << "C"
                             << "0x10" << false << 0.0;
        QTest::newRow("nan") << "C"
                             << "NaN" << false << 0.0;
        QTest::newRow("infinity") << "C"
                                  << "Infinity" << false << 0.0;
        QTest::newRow("comma in C") << "C"
                                    << "1,5" << false << 0.0;
        QTest::newRow("thousands") << "C"
                                   << "1,000.5" << false << 0.0;
        QTest::newRow("inner blank") << "C"
                                     << "1 2" << false << 0.0;
        QTest::newRow("sign alone") << "C"
                                    << "-" << false << 0.0;
        QTest::newRow("arabic digits") << "C" << QString::fromUtf8("\u0661") << false << 0.0;
        QTest::newRow("German comma") << "de_DE"
                                      << "1,5" << true << 1.5;
        QTest::newRow("German point") << "de_DE"
                                      << "1.5" << false << 0.0;
        QTest::newRow("German exponent") << "de_DE"
                                         << "-2,5E2" << true << -250.0;
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
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("factorRule");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 212.0 << true << "C"
                               << "212";
        QTest::newRow("zero") << 0.0 << true << "C"
                              << "0";
        QTest::newRow("negative zero") << -0.0 << false << "C"
                                       << "0";
        QTest::newRow("negative zero, factor rule") << -0.0 << true << "C"
                                                    << "0";
        QTest::newRow("below one") << 0.5 << true << "C"
                                   << "0.5";
        QTest::newRow("7 digits") << 1234567.0 << true << "C"
                                  << "1234567";
        QTest::newRow("8 digits") << 12345678.0 << true << "C"
                                  << "1.234568E+07";
        QTest::newRow("rounds up into exponent") << 9999999.6 << true << "C"
                                                 << "1E+07";
        QTest::newRow("ten thousandth") << 0.0001 << true << "C"
                                        << "0.0001";
        QTest::newRow("hundred thousandth") << 0.00001 << true << "C"
                                            << "1E-05";
        QTest::newRow("millionth") << 0.000001 << true << "C"
                                   << "1E-06";
        QTest::newRow("small negative") << -0.000012 << true << "C"
                                        << "-1.2E-05";
        QTest::newRow("read as 6 places") << 0.3333333333 << true << "C"
                                          << "0.333333";
        QTest::newRow("decimal half, not its binary neighbour") << 12345.675 << true << "C"
                                                                << "12345.68";
        QTest::newRow("decimal half, negative") << -12345.675 << true << "C"
                                                << "-12345.68";
        QTest::newRow("below the decimal half") << 12345.674999 << true << "C"
                                                << "12345.67";
        QTest::newRow("thousand") << 999.9999999999999 << true << "C"
                                  << "1000";
        QTest::newRow("largest single") << 3.4028234663852886e38 << true << "C"
                                        << "3.402823E+38";
        QTest::newRow("largest double") << 1.7976931348623157e308 << true << "C"
                                        << "1.797693E+308";
        QTest::newRow("large, half up") << 1234567500000.0 << true << "C"
                                        << "1.234568E+12";
        QTest::newRow("double 15 digits") << 1.0 / 3.0 << false << "C"
                                          << "0.333333333333333";
        QTest::newRow("double large") << 1e15 << false << "C"
                                      << "1E+15";
        QTest::newRow("double just fits") << 123456789012345.0 << false << "C"
                                          << "123456789012345";
        QTest::newRow("double big exponent") << 1.5e300 << false << "C"
                                             << "1.5E+300";
        QTest::newRow("double small") << 1.25e-7 << false << "C"
                                      << "1.25E-07";
        QTest::newRow("double below one") << -0.0625 << false << "C"
                                          << "-0.0625";
        QTest::newRow("German single") << 0.3048 << true << "de_DE"
                                       << "0,3048";
        QTest::newRow("German exponent") << 9.46073047258e12 << true << "de_DE"
                                         << "9,46073E+12";
        QTest::newRow("German double") << 36.99999915228953 << false << "de_DE"
                                       << "36,9999991522895";
        QTest::newRow("German no grouping") << 1234567.0 << true << "de_DE"
                                            << "1234567";
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
        QTest::addColumn<double>("value");
        QTest::addColumn<qint64>("millionths");
        QTest::newRow("third") << 1.0 / 3.0 << qint64(333333);
        QTest::newRow("half to even, down") << 0.0078125 << qint64(7812);
        QTest::newRow("half to even, up") << 0.0234375 << qint64(23438);
        QTest::newRow("negative half") << -0.0078125 << qint64(-7812);
        // The double nearest 0.0000125 lies above it; its product with 10^6 rounds to 12.5.
        QTest::newRow("just above a half, product on it") << 0.0000125 << qint64(13);
        QTest::newRow("large") << 4503599627.0 << qint64(4503599627000000);
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
