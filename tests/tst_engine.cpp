#include "TestDatabase.h"

#include "convert/ConversionEngine.h"
#include "convert/NumberText.h"
#include "data/RuntimeError.h"
#include "data/modMain.h"

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
        const QList<QPair<QString, QString>> cases = {
            {"1111", "1015"}, {"1040", "1015"}, {"1020", "1012"}, {"1109", "1012"}, {"1024", "1021"},
            {"1023", "1021"}, {"1056", "1021"}, {"1064", "1021"}, {"1141", "1021"}, {"1127", "1114"},
            {"1090", "1022"}, {"1015", "1015"}, {"92", "92"},     {"", ""},         {" 1040", " 1040"},
        };
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
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("text");
        QTest::newRow("1 from factor 3 to factor 1") << 1.0f << 3 << 1 << QStringLiteral("0.333333");
        QTest::newRow("2.5 from factor 0.5 to factor 2") << 2.5f << 5 << 2 << QStringLiteral("10");
        QTest::newRow("same unit, 7 digits") << 1.23456789f << 1 << 1 << QStringLiteral("1.234568");
        QTest::newRow("same unit, large") << 123456.7f << 2 << 2 << QStringLiteral("123456.7");
        QTest::newRow("below half a millionth") << 0.0000004f << 1 << 1 << QStringLiteral("0");
        QTest::newRow("negative") << -1.0f << 3 << 1 << QStringLiteral("-0.333333");
        QTest::newRow("exponent form") << 12345678.0f << 1 << 1 << QStringLiteral("1.234568E+07");
        QTest::newRow("foot to metre") << 1.0f << 4 << 1 << QStringLiteral("0.3048");
    }

    void convertByFactor()
    {
        QFETCH(float, value);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, text);
        TestDatabase db;
        db.addUnit("1", "One", 1.0, "1015");
        db.addUnit("2", "Two", 2.0, "1015");
        db.addUnit("3", "Three", 3.0, "1015");
        db.addUnit("4", "Foot", 1 / 0.3048, "1015");
        db.addUnit("5", "Half", 0.5, "1015");
        db.openShared();
        QCOMPARE(NumberText::formatSingle(ConvertByFactor(value, from, to)), text);
        QVERIFY(!modMain::dbRecordset.isOpen());
    }

    void convertByFactorFailures_data()
    {
        QTest::addColumn<float>("value");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("error");
        QTest::newRow("unknown source unit") << 1.0f << 99 << 1 << ErrorNumber::NoCurrentRecord;
        QTest::newRow("unknown target unit") << 1.0f << 1 << 99 << ErrorNumber::NoCurrentRecord;
        QTest::newRow("source factor 0") << 1.0f << 6 << 1 << ErrorNumber::DivisionByZero;
        QTest::newRow("empty factor") << 1.0f << 7 << 1 << ErrorNumber::InvalidUseOfNull;
        QTest::newRow("text factor") << 1.0f << 8 << 1 << ErrorNumber::TypeMismatch;
        QTest::newRow("beyond single range") << 3e38f << 1 << 9 << ErrorNumber::Overflow;
    }

    void convertByFactorFailures()
    {
        QFETCH(float, value);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, error);
        TestDatabase db;
        db.addUnit("1", "One", 1.0, "1015");
        db.addUnit("6", "Zero", 0.0, "1015");
        db.addUnit("7", "Empty", QVariant(QMetaType(QMetaType::Double)), "1015");
        db.addUnit("8", "Text", QStringLiteral("lots"), "1015");
        db.addUnit("9", "Ten", 10.0, "1015");
        db.openShared();
        QCOMPARE(errorOf([&] { ConvertByFactor(value, from, to); }), error);
        // The next query of any window still opens normally.
        modMain::OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("1")});
        QCOMPARE(modMain::dbRecordset.Fields(1).Value().toString(), QStringLiteral("One"));
    }

    void convertTemperature_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("output");
        QTest::newRow("98.6 F to C") << "Fahrenheit" << "Celsius" << "98.6" << "36.9999991522895";
        QTest::newRow("100 C to F") << "Celsius" << "Fahrenheit" << "100" << "212";
        QTest::newRow("100 F to C") << "Fahrenheit" << "Celsius" << "100" << "37.7777777777778";
        QTest::newRow("0 C to K") << "Celsius" << "Kelvin" << "0" << "273.15";
        QTest::newRow("-40 F to C") << "Fahrenheit" << "Celsius" << "-40" << "-40";
        QTest::newRow("300 K to C") << "Kelvin" << "Celsius" << "300" << "26.85";
        QTest::newRow("0 F to R") << "Fahrenheit" << "Rankine" << "0" << "459.67";
        QTest::newRow("180 R to K") << "Rankine" << "Kelvin" << " 180 " << "100";
        QTest::newRow("0 K to F") << "Kelvin" << "Fahrenheit" << "0" << "-459.67";
        // The input is read in single precision first, and its error shows.
        QTest::newRow("491.67 R to C") << "Rankine" << "Celsius" << "491.67" << "7.45985242171325E-06";
        QTest::newRow("F to F keeps blanks") << "Fahrenheit" << "Fahrenheit" << " 98.6 " << " 98.6 ";
        QTest::newRow("C to C keeps text") << "Celsius" << "Celsius" << "1e1" << "1e1";
        QTest::newRow("K to K trims") << "Kelvin" << "Kelvin" << " 300 " << "300";
        QTest::newRow("R to R trims") << "Rankine" << "Rankine" << " 1 " << "1";
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

    void temperatureNamesMatchExactly()
    {
        QVERIFY(!ConvertTemperature(QStringLiteral("celsius"), QStringLiteral("Kelvin"), "1").has_value());
        QVERIFY(!ConvertTemperature(QStringLiteral("Kelvin"), QStringLiteral("Celsius "), "1").has_value());
        QVERIFY(!ConvertTemperature(QStringLiteral("Degree"), QStringLiteral("Degree"), "1").has_value());
        QVERIFY(IsTemperatureProperty(92) && IsTemperatureProperty(93) && !IsTemperatureProperty(1015));
    }

    void numericCheck_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::addColumn<double>("value");
        QTest::newRow("plain") << "C" << "12" << true << 12.0;
        QTest::newRow("blanks around") << "C" << "  -1.5e3 " << true << -1500.0;
        QTest::newRow("leading separator") << "C" << ".5" << true << 0.5;
        QTest::newRow("trailing separator") << "C" << "5." << true << 5.0;
        QTest::newRow("plus sign") << "C" << "+7" << true << 7.0;
        QTest::newRow("exponent sign") << "C" << "1E-2" << true << 0.01;
        QTest::newRow("blanks only") << "C" << "   " << false << 0.0;
        QTest::newRow("empty") << "C" << "" << false << 0.0;
        QTest::newRow("double sign") << "C" << "--1" << false << 0.0;
        QTest::newRow("bare exponent") << "C" << "1e" << false << 0.0;
        QTest::newRow("hex") << "C" << "0x10" << false << 0.0;
        QTest::newRow("nan") << "C" << "NaN" << false << 0.0;
        QTest::newRow("infinity") << "C" << "Infinity" << false << 0.0;
        QTest::newRow("comma in C") << "C" << "1,5" << false << 0.0;
        QTest::newRow("thousands") << "C" << "1,000.5" << false << 0.0;
        QTest::newRow("inner blank") << "C" << "1 2" << false << 0.0;
        QTest::newRow("sign alone") << "C" << "-" << false << 0.0;
        QTest::newRow("arabic digits") << "C" << QString::fromUtf8("\u0661") << false << 0.0;
        QTest::newRow("German comma") << "de_DE" << "1,5" << true << 1.5;
        QTest::newRow("German point") << "de_DE" << "1.5" << false << 0.0;
        QTest::newRow("German exponent") << "de_DE" << "-2,5E2" << true << -250.0;
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
        QCOMPARE(errorOf([] { NumberText::parseSingle(QStringLiteral("1e39")); }), ErrorNumber::Overflow);
        QCOMPARE(errorOf([] { NumberText::parseSingle(QStringLiteral("-1e39")); }), ErrorNumber::Overflow);
        QCOMPARE(errorOf([] { NumberText::parseDouble(QStringLiteral("1e400")); }), ErrorNumber::Overflow);
        QCOMPARE(NumberText::parseSingle(QStringLiteral("1e-46")), 0.0f);
        QCOMPARE(NumberText::parseSingle(QStringLiteral("3.4028235e38")), 3.4028235e38f);
        QCOMPARE(NumberText::parseDouble(QStringLiteral("1e-400")), 0.0);
    }

    void resultText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<bool>("single");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 212.0 << true << "C" << "212";
        QTest::newRow("zero") << 0.0 << true << "C" << "0";
        QTest::newRow("negative zero") << -0.0 << false << "C" << "0";
        QTest::newRow("below one") << 0.5 << true << "C" << "0.5";
        QTest::newRow("7 digits") << 1234567.0 << true << "C" << "1234567";
        QTest::newRow("8 digits") << 12345678.0 << true << "C" << "1.234568E+07";
        QTest::newRow("rounds up into exponent") << 9999999.6 << true << "C" << "1E+07";
        QTest::newRow("ten thousandth") << 0.0001 << true << "C" << "0.0001";
        QTest::newRow("hundred thousandth") << 0.00001 << true << "C" << "1E-05";
        QTest::newRow("small negative") << -0.000012345 << true << "C" << "-1.2345E-05";
        QTest::newRow("largest single") << 3.4028234663852886e38 << true << "C" << "3.402823E+38";
        QTest::newRow("double 15 digits") << 1.0 / 3.0 << false << "C" << "0.333333333333333";
        QTest::newRow("double large") << 1e15 << false << "C" << "1E+15";
        QTest::newRow("double just fits") << 123456789012345.0 << false << "C" << "123456789012345";
        QTest::newRow("double big exponent") << 1.5e300 << false << "C" << "1.5E+300";
        QTest::newRow("German single") << 0.3048 << true << "de_DE" << "0,3048";
        QTest::newRow("German double") << 36.99999915228953 << false << "de_DE" << "36,9999991522895";
        QTest::newRow("German no grouping") << 1234567.0 << true << "de_DE" << "1234567";
    }

    void resultText()
    {
        QFETCH(double, value);
        QFETCH(bool, single);
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(single ? NumberText::formatSingle(static_cast<float>(value)) : NumberText::formatDouble(value), text);
    }

    void germanTemperature()
    {
        QLocale::setDefault(QLocale(QStringLiteral("de_DE")));
        QCOMPARE(*ConvertTemperature(QStringLiteral("Fahrenheit"), QStringLiteral("Celsius"), QStringLiteral("98,6")),
                 QStringLiteral("36,9999991522895"));
    }

    void roundsHalvesToEven()
    {
        // 1/128 and 3/128 are exact in binary and end in a 5 at the seventh place.
        QCOMPARE(RoundToSixPlaces(0.0078125f), 0.007812f);
        QCOMPARE(RoundToSixPlaces(0.0234375f), 0.023438f);
        QCOMPARE(RoundToSixPlaces(-0.0078125f), -0.007812f);
        QCOMPARE(RoundToSixPlaces(3e30f), 3e30f);
    }
};

QTEST_GUILESS_MAIN(TestEngine)
#include "tst_engine.moc"
