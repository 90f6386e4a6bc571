// The shipped catalogue: the rules its rows must keep, the parser of its
// sources, the tool that builds Tessaly.mdb, and every factor checked against
// GNU units.

#include "BuildFolder.h"
#include "DataTable.h"
#include "FileConnection.h"
#include "Files.h"
#include "TestDatabase.h"

#include "cataloguesource/CatalogueSource.h"
#include "data/modMain.h"
#include "engine/ConversionEngine.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

using CatalogueSource::Unit;

Q_DECLARE_METATYPE(CatalogueSource::Catalogue)

namespace {

// The properties that list another property's units, and that property: the converter's table.
QList<QPair<QString, QString>> converterBorrowings()
{
    QList<QPair<QString, QString>> pairs;
    for (const UnitBorrowing& borrowing : UnitBorrowings())
        pairs.append({QString::number(borrowing.property), QString::number(borrowing.unitsOf)});
    return pairs;
}

// Units deliberately not compared with GNU units. "*" stands for every unit of the property.
struct GnuException
{
    QString propId;
    QString name;
    QString reason;
};
const QList<GnuException>& gnuExceptions()
{
    static const QList<GnuException> exceptions = [] {
        QList<GnuException> list;
        for (const qint32 id : TemperatureProperties())
            list.append({QString::number(id), "*",
                         "temperature scales are converted by formula and their factor is never read; GNU units "
                         "knows them only as non-linear functions (tempF(x), tempC(x))"});
        return list;
    }();
    return exceptions;
}

// The index of the reviewed exception that covers a unit, or -1.
int gnuExceptionFor(const Unit& unit)
{
    for (int i = 0; i < gnuExceptions().size(); ++i) {
        const GnuException& exception = gnuExceptions().at(i);
        if (exception.propId == unit.propId && (exception.name == "*" || exception.name == unit.name))
            return i;
    }
    return -1;
}

// A small catalogue in a directory: properties.txt and one units file.
void writeCatalogue(const QString& dir, const QString& properties, const QString& units)
{
    QVERIFY(TestKit::writeFile(dir + "/properties.txt", properties.toUtf8()));
    QVERIFY(TestKit::writeFile(dir + "/units/10-units.txt", units.toUtf8()));
}

const QString SmallProperties = QStringLiteral("# test\n"
                                               "1 | Length\n"
                                               "2 | Area\n"
                                               "3 | Distance | 1\n");
const QString SmallUnits = QStringLiteral("[1]\n"
                                          "1 | Metre | 1 | m | base\n"
                                          "2 | Foot | 0.3048 | ft | exact\n"
                                          "\n"
                                          "[2]\n"
                                          "3 | Square metre | 1 | m^2 | base\n"
                                          "4 | Square foot | {1:Foot}^2 | ft^2 | derived\n");
// The small catalogue with a temperature property and its four scales.
const QString SmallTemperatureProperties = SmallProperties + "92 | Temperature\n";
const QString SmallTemperatureUnits = SmallUnits + "[92]\n11 | Kelvin | - | - | SI\n12 | Celsius | - | - | SI\n"
                                                   "13 | Fahrenheit | - | - | NIST\n14 | Rankine | - | - | NIST\n";

// A run of the catalogue tool: its exit code (-1 when it did not finish) and what it wrote to stderr.
struct ToolRun
{
    int exitCode;
    QString error;
};
ToolRun runTool(const QStringList& arguments, int timeout = 30000)
{
    QProcess tool;
    tool.start(TestKit::builtFile("mkcatalogue"), arguments);
    if (!tool.waitForFinished(timeout))
        return {-1, "the tool did not finish"};
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardError())};
}

// The value of GNU units for each query "have" expressed in "want", in one run.
// Returns false when the batch output does not line up with the queries.
bool runGnuUnits(const QList<QPair<QString, QString>>& queries, QList<double>& values, QString& error)
{
    QProcess units;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("LC_ALL", "C");
    units.setProcessEnvironment(env);
    units.start("units", {"-t", "-o", "%.17g"});
    if (!units.waitForStarted()) {
        error = "GNU units cannot be run (" + units.errorString() + "); the project's set-up installs it";
        return false;
    }
    QByteArray input;
    for (const auto& query : queries)
        input += query.first.toUtf8() + '\n' + query.second.toUtf8() + '\n';
    units.write(input);
    units.closeWriteChannel();
    if (!units.waitForFinished(120000)) {
        error = "GNU units did not finish";
        return false;
    }
    const QStringList lines = QString::fromUtf8(units.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    values.clear();
    for (const QString& line : lines) {
        bool ok = false;
        values.append(line.trimmed().toDouble(&ok));
        if (!ok) {
            error = "GNU units answered: " + line;
            return false;
        }
    }
    if (values.size() != queries.size()) {
        error = QString("GNU units gave %1 answers to %2 queries").arg(values.size()).arg(queries.size());
        return false;
    }
    return true;
}

// The units the catalogue first shipped carried the identifiers 1 to this number.
constexpr int FirstReleaseUnits = 1208;

// How far apart two sizes may be and still count as one size.
constexpr double SameSize = 1e-9;

// The unit a definition names when it is nothing but a reference to a unit of the same property.
QString synonymOf(const Unit& unit)
{
    static const QRegularExpression bare(QStringLiteral("^\\{([^}:]+)\\}$"));
    const QRegularExpressionMatch match = bare.match(unit.definition);
    return match.hasMatch() ? match.captured(1).trimmed() : QString();
}

// Units as large as an earlier unit of their property without being declared its synonym (a
// definition that is only a reference to a unit of the property), as "file:line name = other".
QStringList undeclaredSynonyms(const QList<Unit>& units)
{
    QHash<QString, QList<const Unit*>> earlier;
    QStringList faults;
    for (const Unit& unit : units) {
        if (CatalogueSource::isTemperatureProperty(unit.propId))
            continue;
        QList<const Unit*>& seen = earlier[unit.propId];
        for (const Unit* other : std::as_const(seen)) {
            if (std::abs(unit.value / other->value - 1.0) < SameSize && synonymOf(unit).isEmpty())
                faults.append(QString("%1:%2 %3 = %4").arg(unit.file).arg(unit.line).arg(unit.name, other->name));
        }
        seen.append(&unit);
    }
    return faults;
}

} // namespace

class tst_catalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
        m_sources = CatalogueSource::load(QStringLiteral(QUANTARO_CATALOGUE_DIR));
        for (const Unit& unit : std::as_const(m_sources.units)) {
            if (!m_referenceGnu.contains(unit.propId))
                m_referenceGnu.insert(unit.propId, unit.gnuUnits);
        }

        const QString path = TestKit::builtFile("Tessaly.seed.mdb");
        QVERIFY2(QFile::exists(path), qPrintable(path + " has not been built"));
        m_built = std::make_unique<TestKit::FileConnection>(path, true);
        QVERIFY2(m_built->error().isEmpty(), qPrintable(m_built->error()));
    }

    void cleanupTestCase() { m_built.reset(); }

    void identifiersAreDecimalAndDistinct_data()
    {
        const TestKit::DataTable<QString> row("sql");
        row("tbProperty.PropID", "select PropID from tbProperty");
        row("tbUnits.UID", "select UID from tbUnits");
        row("tbUnits.PropID", "select distinct PropID from tbUnits");
    }

    void identifiersAreDecimalAndDistinct()
    {
        QFETCH(QString, sql);
        QSet<QString> seen;
        for (const QStringList& row : rows(sql)) {
            const QString id = row.at(0);
            QVERIFY2(CatalogueSource::isValidId(id), qPrintable("not a plain decimal 32-bit identifier: " + id));
            bool ok = false;
            QCOMPARE(QString::number(id.toInt(&ok)), id);
            QVERIFY(ok);
            QVERIFY2(!seen.contains(id), qPrintable("duplicate identifier " + id));
            seen.insert(id);
        }
        QVERIFY(!seen.isEmpty());
    }

    void shippedState_data()
    {
        const TestKit::DataTable<QString> row("sql");
        row("propDF", "select count(*) from tbProperty where propDF is not '0'");
        row("df", "select count(*) from tbUnits where df is not '0'");
        row("user properties", "select count(*) from tbUserProperty");
        row("user units", "select count(*) from tbUserUnits");
    }

    void shippedState()
    {
        QFETCH(QString, sql);
        QCOMPARE(rows(sql).value(0).value(0), QString("0"));
    }

    void unitNamesAreDistinctPerProperty()
    {
        QSet<QString> seen;
        for (const QStringList& row : rows("select PropID, uname from tbUnits")) {
            const QString key = row.at(0) + ':' + row.at(1).toCaseFolded();
            QVERIFY2(!seen.contains(key), qPrintable("duplicate unit " + row.join(" ")));
            QCOMPARE(row.at(1).trimmed(), row.at(1));
            seen.insert(key);
        }
    }

    void borrowingProperties_data()
    {
        const TestKit::DataTable<QString, QString> row("propId", "target");
        for (const auto& [propId, target] : converterBorrowings())
            row(qPrintable(propId), propId, target);
    }

    void borrowingProperties()
    {
        QFETCH(QString, propId);
        QFETCH(QString, target);
        const QString count = "select count(*) from %1 where PropID = '%2'";
        QCOMPARE(rows(count.arg("tbProperty", propId)).value(0).value(0), QString("1"));
        QCOMPARE(rows(count.arg("tbUnits", propId)).value(0).value(0), QString("0"));
        QVERIFY(rows(count.arg("tbUnits", target)).value(0).value(0).toInt() >= 2);
    }

    void sourcesBorrowAsTheEngineResolves()
    {
        // properties.txt, the converter's table and its redirection must name the same lenders.
        QStringList borrowers;
        for (const CatalogueSource::Property& property : std::as_const(m_sources.properties)) {
            modMain::CurrentPropID = property.id;
            ResolveUnitProperty();
            const QString expected = property.borrowsFrom.isEmpty() ? property.id : property.borrowsFrom;
            QVERIFY2(modMain::CurrentPropID == expected,
                     qPrintable(property.id + " lists the units of " + modMain::CurrentPropID + ", not " + expected));
            if (!property.borrowsFrom.isEmpty())
                borrowers.append(property.id + ':' + property.borrowsFrom);
        }
        modMain::CurrentPropID.clear();
        QStringList table;
        for (const auto& [borrower, lender] : converterBorrowings())
            table.append(borrower + ':' + lender);
        borrowers.sort();
        table.sort();
        QCOMPARE(borrowers, table);
        CatalogueSource::checkAgainstConverter(m_sources);
    }

    void converterCheckRefuses_data()
    {
        const TestKit::DataTable<CatalogueSource::Catalogue, int, QString> row("catalogue", "line", "message");
        const UnitBorrowing first = UnitBorrowings().first();
        const QString borrower = QString::number(first.property);
        const QString lender = QString::number(first.unitsOf);
        const QString temperature = QString::number(TemperatureProperties().first());
        const auto changed = [this](const QString& id, const std::function<void(CatalogueSource::Property&)>& change,
                                    int& line) {
            CatalogueSource::Catalogue catalogue = m_sources;
            for (CatalogueSource::Property& property : catalogue.properties) {
                if (property.id == id) {
                    change(property);
                    line = property.line;
                }
            }
            return catalogue;
        };
        const auto without = [this](const QString& id) {
            CatalogueSource::Catalogue catalogue = m_sources;
            catalogue.properties.removeIf([&](const CatalogueSource::Property& p) { return p.id == id; });
            return catalogue;
        };
        int line = 0;
        const CatalogueSource::Catalogue otherLender = changed(
            borrower, [&](CatalogueSource::Property& p) { p.borrowsFrom = temperature; }, line);
        row("other lender", otherLender, line,
            QString("property %1 borrows from %2, but the converter's table "
                    "UnitBorrowings() in src/engine/ConversionEngine.cpp lists the units "
                    "of %3; make the two agree")
                .arg(borrower, temperature, lender));
        const CatalogueSource::Catalogue ownUnits = changed(
            borrower, [](CatalogueSource::Property& p) { p.borrowsFrom.clear(); }, line);
        row("borrower with units of its own", ownUnits, line,
            QString("property %1 has units of its own, but").arg(borrower));
        const CatalogueSource::Catalogue lenderBorrows = changed(
            lender, [&](CatalogueSource::Property& p) { p.borrowsFrom = temperature; }, line);
        row("lender borrows", lenderBorrows, line,
            QString("property %1 borrows from %2, but").arg(lender, temperature));
        row("borrower missing", without(borrower), 0,
            QString("no property %1, which the converter's table").arg(borrower));
        row("temperature missing", without(temperature), 0,
            QString("no property %1, which the converter converts by formula").arg(temperature));
    }

    void converterCheckRefuses()
    {
        QFETCH(CatalogueSource::Catalogue, catalogue);
        QFETCH(int, line);
        QFETCH(QString, message);
        try {
            CatalogueSource::checkAgainstConverter(catalogue);
            QFAIL("a catalogue that disagrees with the converter was accepted");
        } catch (const CatalogueSource::SourceError& error) {
            QCOMPARE(error.file(), QString("properties.txt"));
            QCOMPARE(error.line(), line);
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }

    void otherPropertiesHaveTwoUnits()
    {
        QSet<QString> borrowing;
        for (const auto& pair : converterBorrowings())
            borrowing.insert(pair.first);
        const QList<QStringList> counts =
            rows("select p.PropID, (select count(*) from tbUnits u where u.PropID = p.PropID)"
                 " from tbProperty p");
        for (const QStringList& row : counts) {
            if (!borrowing.contains(row.at(0)))
                QVERIFY2(row.at(1).toInt() >= 2, qPrintable("property " + row.at(0) + " has fewer than two units"));
        }
    }

    void temperatureProperties_data()
    {
        const TestKit::DataTable<QString> row("propId");
        for (const qint32 id : TemperatureProperties())
            row(qPrintable(QString::number(id)), QString::number(id));
    }

    void temperatureProperties()
    {
        QFETCH(QString, propId);
        QStringList names;
        for (const QStringList& row : rows("select uname from tbUnits where PropID = '" + propId + "'"))
            names.append(row.at(0));
        names.sort();
        QCOMPARE(names, QStringList({"Celsius", "Fahrenheit", "Kelvin", "Rankine"}));
    }

    void catalogueIsComplete()
    {
        const int properties = rows("select count(*) from tbProperty").value(0).value(0).toInt();
        const int units = rows("select count(*) from tbUnits").value(0).value(0).toInt();
        QVERIFY(properties >= 110);
        QVERIFY(units >= 1000);
        qInfo("the catalogue holds %d properties and %d units", properties, units);
    }

    void changedRowsKeepTheirIdentifiers_data()
    {
        // Shipped rows renamed or moved since they first shipped: the identifier stays, so that a
        // user's hidden flag stays on the row and an update of an existing catalogue finds it.
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("row");
        const auto property = [](const char* id, const char* name) {
            QTest::newRow(id) << QString("select propname from tbProperty where PropID = '%1'").arg(id)
                              << QStringList{name};
        };
        const auto unit = [](const char* uid, const char* propId, const char* name) {
            QTest::newRow(uid) << QString("select uname, PropID from tbUnits where UID = '%1'").arg(uid)
                               << QStringList{name, propId};
        };
        property("1090", "Weight (force)");
        unit("31", "1015", "Foot (international)");
        unit("32", "1015", "Inch (international)");
        unit("33", "1015", "Yard (international)");
        unit("34", "1015", "Mile (international)");
        unit("39", "1015", "Link (international)");
        unit("40", "1015", "Chain (international)");
        unit("41", "1015", "Rod (international)");
        unit("42", "1015", "Furlong (international)");
        unit("43", "1015", "League (international, 3 miles)");
        unit("57", "1015", "Point (American printer's)");
        unit("58", "1015", "Pica (American printer's)");
        unit("77", "1013", "Square foot (international)");
        unit("79", "1013", "Square mile (international)");
        unit("84", "1013", "Section (US survey, 1 square mile)");
        unit("85", "1013", "Township (US survey, 36 sections)");
        unit("202", "1026", "Pound (avoirdupois)");
        unit("203", "1026", "Ounce (avoirdupois)");
        unit("212", "1026", "Kilopound (avoirdupois, 1000 lb)");
        unit("337", "1142", "Joule per cubic metre");
        unit("338", "1142", "Kilojoule per cubic metre");
        unit("339", "1142", "Megajoule per cubic metre");
        unit("340", "1142", "Megajoule per litre");
        unit("341", "1142", "Kilowatt hour per cubic metre");
        unit("342", "1142", "Kilowatt hour per litre");
        unit("343", "1142", "British thermal unit (IT) per cubic foot");
        unit("365", "1012", "Food calorie (thermochemical kilocalorie)");
        unit("368", "1012", "Thousand British thermal units (IT, 10^3 Btu)");
        unit("369", "1012", "Million British thermal units (IT, 10^6 Btu, MMBtu)");
        unit("372", "1012", "Quad (10^15 Btu IT)");
        unit("887", "1076", "Part per billion (short scale, 10^-9)");
        unit("888", "1076", "Part per trillion (short scale, 10^-12)");
        unit("889", "1076", "Part per quadrillion (short scale, 10^-15)");
    }

    void changedRowsKeepTheirIdentifiers()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, row);
        QCOMPARE(rows(sql), QList<QStringList>({row}));
    }

    void firstShippedUnitsRemain()
    {
        QSet<int> uids;
        for (const QStringList& row : rows("select UID from tbUnits"))
            uids.insert(row.at(0).toInt());
        for (int uid = 1; uid <= FirstReleaseUnits; ++uid)
            QVERIFY2(uids.contains(uid), qPrintable(QString("the shipped unit %1 is gone").arg(uid)));
    }

    void equalSizesAreDeclaredSynonyms()
    {
        const QStringList faults = undeclaredSynonyms(m_sources.units);
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
        for (const Unit& unit : std::as_const(m_sources.units)) {
            const QString synonym = synonymOf(unit);
            if (synonym.isEmpty())
                continue;
            const auto same = std::find_if(m_sources.units.cbegin(), m_sources.units.cend(), [&](const Unit& other) {
                return other.propId == unit.propId && other.name.compare(synonym, Qt::CaseInsensitive) == 0;
            });
            QVERIFY(same != m_sources.units.cend());
            QCOMPARE(unit.value, same->value);
        }
    }

    void sharedListsRepeatNoName()
    {
        // A borrower shows its lender's list, so rows stored under either count as one list.
        QHash<QString, QString> listOf;
        for (const auto& [borrower, lender] : converterBorrowings())
            listOf.insert(borrower, lender);
        QHash<QString, QSet<QString>> names;
        for (const QStringList& row : rows("select PropID, uname from tbUnits")) {
            QSet<QString>& list = names[listOf.value(row.at(0), row.at(0))];
            const QString name = row.at(1).trimmed().toCaseFolded();
            QVERIFY2(!list.contains(name), qPrintable("a shared list names " + row.at(1) + " twice"));
            list.insert(name);
        }
        QVERIFY(names.contains("1021"));
    }

    void synonymCheck_data()
    {
        const TestKit::DataTable<QString, QStringList> row("units", "faults");
        row("sizes apart", "[1]\n5 | Yard | 0.9144 | yd | x\n", QStringList());
        row("declared synonym", "[1]\n5 | Meter | {metre} | m | x\n", QStringList());
        row("same size, undeclared", "[1]\n5 | Meter | 0.5 * 2 | m | x\n",
            QStringList{"units/10-units.txt:9 Meter = Metre"});
        row("reference with arithmetic", "[1]\n5 | Meter | {Metre} * 1 | m | x\n",
            QStringList{"units/10-units.txt:9 Meter = Metre"});
        row("equal within rounding", "[1]\n5 | Kilofoot | 304.8 | - | x\n6 | Thousand feet | 1000 * {Foot} | - | x\n",
            QStringList{"units/10-units.txt:10 Thousand feet = Kilofoot"});
        row("same size as the reference unit", "[2]\n5 | Centiare | 1 | m^2 | x\n",
            QStringList{"units/10-units.txt:9 Centiare = Square metre"});
        row("same number, other property", "[2]\n5 | Odd area | 0.3048 | - | x\n", QStringList());
    }

    void synonymCheck()
    {
        QFETCH(QString, units);
        QFETCH(QStringList, faults);
        QTemporaryDir dir;
        writeCatalogue(dir.path(), SmallProperties, SmallUnits + units);
        QCOMPARE(undeclaredSynonyms(CatalogueSource::load(dir.path()).units), faults);
    }

    void databaseMatchesSources()
    {
        const QList<QStringList> properties = rows("select * from tbProperty order by rowid");
        QCOMPARE(properties.size(), m_sources.properties.size());
        for (int i = 0; i < properties.size(); ++i) {
            const CatalogueSource::Property& source = m_sources.properties.at(i);
            QCOMPARE(properties.at(i), QStringList({source.id, source.name, "0"}));
        }

        const QList<QStringList> units = rows("select UID, uname, factor, PropID, df from tbUnits order by rowid");
        QCOMPARE(units.size(), m_sources.units.size());
        for (int i = 0; i < units.size(); ++i) {
            const Unit& source = m_sources.units.at(i);
            const QStringList& unit = units.at(i);
            QCOMPARE(unit.at(0), source.uid);
            QCOMPARE(unit.at(1), source.name);
            const double expected = CatalogueSource::isTemperatureProperty(source.propId) ? 1.0 : 1.0 / source.value;
            QCOMPARE(unit.at(2).toDouble(), expected);
            QCOMPARE(unit.at(3), source.propId);
            QCOMPARE(unit.at(4), QString("0"));
        }
    }

    void knownFactors_data()
    {
        // Standard values, written independently of the sources: size of one unit in the reference unit.
        const TestKit::DataTable<QString, QString, double> row("propId", "name", "size");
        row("metre", "1015", "Metre", 1.0);
        row("foot", "1015", "Foot (international)", 0.3048);
        row("inch", "1015", "Inch (international)", 0.0254);
        row("mile", "1015", "Mile (international)", 1609.344);
        row("survey foot", "1015", "Foot (US survey)", 1200.0 / 3937.0);
        row("nautical mile", "1015", "Nautical mile", 1852.0);
        row("acre", "1013", "Acre (international)", 4046.8564224);
        row("US gallon", "1014", "Gallon (US liquid)", 3.785411784e-3);
        row("imperial gallon", "1014", "Gallon (imperial)", 4.54609e-3);
        row("pound", "1026", "Pound (avoirdupois)", 0.45359237);
        row("knot", "1114", "Knot", 1852.0 / 3600.0);
        row("mph", "1114", "Mile per hour", 0.44704);
        row("pound-force", "1022", "Pound-force", 4.4482216152605);
        row("atmosphere", "1021", "Standard atmosphere", 101325.0);
        row("psi", "1021", "Pound-force per square inch (psi)", 6894.757293168361);
        row("kilowatt hour", "1012", "Kilowatt hour", 3.6e6);
        row("calorie", "1012", "Calorie (thermochemical)", 4.184);
        row("Btu", "1012", "British thermal unit (International Table)", 1055.05585262);
        row("horsepower", "1044", "Horsepower (mechanical)", 745.69987158227022);
        row("degree", "1016", "Degree", 3.14159265358979323846 / 180.0);
        row("kibibyte", "1110", "Kibibyte (1024 bytes)", 8192.0);
        row("mpg", "1065", "Mile per gallon (US liquid)", 1.609344 / 3.785411784);
        row("section", "1013", "Section (US survey, 1 square mile)", std::pow(6336000.0 / 3937.0, 2));
        row("township", "1013", "Township (US survey, 36 sections)", 36 * std::pow(6336000.0 / 3937.0, 2));
        row("Didot point", "1015", "Point (Didot)", 0.376065e-3);
        row("cicero", "1015", "Cicero (Didot, 12 points)", 4.51278e-3);
        row("twip", "1015", "Twip", 0.0254 / 1440);
        row("light minute", "1015", "Light minute", 17987547480.0);
        row("rack unit", "1015", "Rack unit (U)", 0.04445);
        row("decanewton", "1022", "Decanewton", 10.0);
        row("decibar", "1021", "Decibar", 1e4);
        row("dessertspoon", "1014", "Dessertspoon (British, 10 mL)", 1e-5);
        row("kilodalton", "1026", "Kilodalton", 1.66053906660e-24);
        row("UK therm", "1012", "Therm (UK)", 105505585.257348);
        row("kWh per litre", "1142", "Kilowatt hour per litre", 3.6e9);
        row("slpm", "1075", "Standard litre per minute (slpm, 0 °C, 1 atm)",
            101.325 / (8.31446261815324 * 273.15) / 60);
        row("karat", "1076", "Karat (gold purity, 1/24)", 1.0 / 24);
        row("US proof", "1076", "Proof (US alcohol, 0.5 %)", 0.005);
        row("degree Fahrenheit difference", "1143", "Degree Fahrenheit", 1 / 1.8);
        row("degree Celsius difference", "1143", "Degree Celsius", 1.0);
    }

    void knownFactors()
    {
        QFETCH(QString, propId);
        QFETCH(QString, name);
        QFETCH(double, size);
        const QList<QStringList> found =
            rows("select factor from tbUnits where PropID = ? and uname = ?", {propId, name});
        QVERIFY2(!found.isEmpty(), qPrintable(name + " is missing"));
        const double factor = found.first().first().toDouble();
        QVERIFY2(std::abs(factor * size - 1.0) < 1e-12, qPrintable(QString::number(factor, 'g', 17)));
    }

    void factorsAgreeWithGnuUnits()
    {
        QVERIFY2(!QStandardPaths::findExecutable("units").isEmpty(),
                 "GNU units is not installed; the project's set-up installs it (Debian package units)");
        QHash<QString, double> factors;
        for (const QStringList& row : rows("select UID, factor from tbUnits"))
            factors.insert(row.at(0), row.at(1).toDouble());

        QList<const Unit*> checked;
        QList<QPair<QString, QString>> queries;
        QSet<int> usedExceptions;
        for (const Unit& unit : std::as_const(m_sources.units)) {
            const int exception = gnuExceptionFor(unit);
            if (exception >= 0) {
                usedExceptions.insert(exception);
                continue;
            }
            QVERIFY2(unit.gnuUnits != "-", qPrintable(unit.file + ": " + unit.name +
                                                      " has no GNU units expression "
                                                      "and is not among the reviewed exceptions"));
            checked.append(&unit);
            queries.append({unit.gnuUnits, m_referenceGnu.value(unit.propId)});
        }
        for (int i = 0; i < gnuExceptions().size(); ++i)
            QVERIFY2(usedExceptions.contains(i),
                     qPrintable("stale exception for property " + gnuExceptions().at(i).propId));

        // Batches of queries keep the run short; a batch that fails is asked again one query at a
        // time so that the report names the units GNU units did not understand.
        constexpr int BatchSize = 100;
        QList<double> values;
        QStringList failures;
        for (int start = 0; start < queries.size(); start += BatchSize) {
            const QList<QPair<QString, QString>> batch = queries.mid(start, BatchSize);
            QList<double> answers;
            QString error;
            if (runGnuUnits(batch, answers, error)) {
                values += answers;
                continue;
            }
            for (int i = 0; i < batch.size(); ++i) {
                const Unit& unit = *checked.at(start + i);
                if (!runGnuUnits({batch.at(i)}, answers, error))
                    failures.append(QString("%1:%2 %3: %4").arg(unit.file).arg(unit.line).arg(unit.name, error));
                values.append(answers.value(0, qQNaN()));
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join('\n')));

        QStringList mismatches;
        double largest = 0;
        QString largestUnit;
        for (int i = 0; i < checked.size(); ++i) {
            const Unit& unit = *checked.at(i);
            const double factor = factors.value(unit.uid);
            const double relative = std::abs(factor * values.at(i) - 1.0);
            if (relative > largest) {
                largest = relative;
                largestUnit = unit.name;
            }
            if (!(relative < 1e-9))
                mismatches.append(QString("%1:%2 %3: factor %4, GNU units %5 (relative error %6)")
                                      .arg(unit.file)
                                      .arg(unit.line)
                                      .arg(unit.name)
                                      .arg(factor, 0, 'g', 17)
                                      .arg(1.0 / values.at(i), 0, 'g', 17)
                                      .arg(relative, 0, 'g', 3));
        }
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join('\n')));
        QVERIFY(checked.size() >= 1000);
        qInfo("%lld units agree with GNU units; the largest relative difference is %.2g (%s)",
              static_cast<long long>(checked.size()), largest, qPrintable(largestUnit));
    }

    void parserEvaluatesDefinitions_data()
    {
        const TestKit::DataTable<QString, double> row("definition", "value");
        row("integer", "12", 12.0);
        row("decimal", "0.3048", 0.3048);
        row("leading point", ".5", 0.5);
        row("exponent", "2.5E-1", 0.25);
        row("precedence", "1 + 2 * 3", 7.0);
        row("parentheses", "(1 + 2) * 3", 9.0);
        row("left to right", "8 / 4 / 2", 1.0);
        row("subtraction", "10 - 4 - 1", 5.0);
        row("power", "2^10", 1024.0);
        row("negative power", "10^-3", 1e-3);
        row("power before minus", "-2^2 + 8", 4.0);
        row("unary minus", "-(-3)", 3.0);
        row("reference", "{Foot} * 3", 0.9144);
        row("reference any case", "{FOOT}", 0.3048);
        row("other property", "{2:Square foot} / {Foot}", 0.3048);
        row("power of reference", "{Foot}^2", 0.3048 * 0.3048);
    }

    void parserEvaluatesDefinitions()
    {
        QFETCH(QString, definition);
        QFETCH(double, value);
        QTemporaryDir dir;
        writeCatalogue(dir.path(), SmallProperties, SmallUnits + "[1]\n99 | Probe | " + definition + " | - | test\n");
        const CatalogueSource::Catalogue catalogue = CatalogueSource::load(dir.path());
        const Unit& probe = catalogue.units.last();
        QCOMPARE(probe.name, QString("Probe"));
        QVERIFY2(std::abs(probe.value / value - 1.0) < 1e-15, qPrintable(QString::number(probe.value, 'g', 17)));
        QCOMPARE(probe.factor, 1.0 / probe.value);
    }

    void parserReadsSmallCatalogue()
    {
        QTemporaryDir dir;
        writeCatalogue(dir.path(), SmallTemperatureProperties, SmallTemperatureUnits);
        const CatalogueSource::Catalogue catalogue = CatalogueSource::load(dir.path());
        QCOMPARE(catalogue.properties.size(), 4);
        QCOMPARE(catalogue.properties.at(2).borrowsFrom, QString("1"));
        QCOMPARE(catalogue.units.size(), 8);
        QStringList uids;
        for (const Unit& unit : catalogue.units)
            uids.append(unit.uid);
        QCOMPARE(uids, QStringList({"1", "2", "3", "4", "11", "12", "13", "14"}));
        QCOMPARE(catalogue.units.at(1).factor, 1.0 / 0.3048);
        QCOMPARE(catalogue.units.at(1).line, 3);
        QCOMPARE(catalogue.units.at(1).file, QString("units/10-units.txt"));
        QCOMPARE(catalogue.units.at(1).gnuUnits, QString("ft"));
        QCOMPARE(catalogue.units.at(4).factor, 1.0);
    }

    void parserRejects_data()
    {
        const TestKit::DataTable<QString, QString, QString, int, QString> row("properties", "units", "file", "line",
                                                                              "message");
        const QString units = "units/10-units.txt";
        const QString props = "properties.txt";
        // A fault in a unit line added to the small catalogue, in its units file.
        const auto unitFault = [&](const char* tag, const QString& added, int line, const QString& message) {
            row(tag, SmallProperties, SmallUnits + added, units, line, message);
        };
        const auto probe = [&](const char* tag, const QString& definition, const QString& message) {
            unitFault(tag, "[1]\n99 | Probe | " + definition + " | - | test\n", 9, message);
        };
        // A fault in properties.txt, beside the small catalogue's units.
        const auto propertyFault = [&](const char* tag, const QString& properties, int line, const QString& message) {
            row(tag, properties, SmallUnits, props, line, message);
        };
        probe("unknown reference", "{Yard}", "unknown unit reference {Yard}");
        probe("unknown other property", "{7:Foot}", "unknown unit reference {7:Foot}");
        probe("reference to itself", "{Probe}", "unknown unit reference {Probe}");
        probe("trailing operator", "2 *", "the definition ends early");
        probe("missing bracket", "(1 + 2", "')' is missing");
        probe("two numbers", "1 2", "unexpected '2'");
        probe("a word", "abc", "a number, '(' or '{' is expected");
        probe("unclosed reference", "{Foot", "'}' is missing");
        probe("fractional exponent", "2^1.5", "unexpected '.'");
        probe("missing exponent", "2^x", "an integer exponent is expected");
        probe("empty reference", "{}", "an empty unit reference");
        probe("division by zero", "1 / 0", "division by zero");
        probe("division by a difference", "1 / (2 - 2)", "division by zero");
        probe("zero to a negative power", "0^-1", "division by zero");
        probe("zero", "0", "is not positive");
        probe("negative", "1 - 3", "is not positive");
        probe("overflow", "1e308 * 10", "is not finite");
        probe("factor overflow", "1e-310", "out of range");

        unitFault("duplicate name", "[1]\n5 | FOOT | 12 | - | x\n", 9, "duplicate unit name 'FOOT' in property 1");
        unitFault("unknown property", "[999]\n", 8, "unknown property '999'");
        unitFault("borrowing property with units", "[3]\n", 8, "property 3 borrows the units of 1");
        row("reference unit not 1", SmallProperties, "[1]\n1 | Metre | 2 | m | x\n2 | Foot | 1 | ft | x\n", units, 2,
            "its definition must be 1");
        unitFault("no unit ID", "[1]\nYard | 0.9144 | yd | x\n", 9, "expected 'UID | Name | definition");
        unitFault("bad unit ID", "[1]\n05 | Yard | 0.9144 | yd | x\n", 9, "bad unit ID '05'");
        unitFault("unit ID beyond 32 bits", "[1]\n2147483648 | Yard | 0.9144 | yd | x\n", 9,
                  "bad unit ID '2147483648'");
        unitFault("duplicate unit ID", "[1]\n4 | Yard | 0.9144 | yd | x\n", 9, "duplicate unit ID 4");
        unitFault("empty source", "[1]\n5 | Yard | 0.9144 | yd | \n", 9, "every field must be filled");
        unitFault("brace in name", "[1]\n5 | Yard {x} | 0.9144 | yd | x\n", 9, "a unit name cannot contain '{' or '}'");
        row("unit before header", SmallProperties, "1 | Metre | 1 | m | x\n", units, 1,
            "a unit before the first [PropID] header");
        row("too few units", SmallProperties + "4 | Volume\n", SmallUnits + "[4]\n5 | Litre | 1 | l | x\n", props, 5,
            "property 4 has fewer than two units");

        propertyFault("leading zero", "01 | Length\n", 1, "bad property ID '01'");
        propertyFault("sign", "-1 | Length\n", 1, "bad property ID '-1'");
        propertyFault("beyond 32 bits", "2147483648 | Length\n", 1, "bad property ID '2147483648'");
        propertyFault("not digits", "1a | Length\n", 1, "bad property ID '1a'");
        propertyFault("duplicate ID", SmallProperties + "1 | Again\n", 5, "duplicate property ID 1");
        propertyFault("duplicate property name", SmallProperties + "4 | length\n", 5,
                      "duplicate property name 'length'");
        propertyFault("borrows unknown", SmallProperties + "4 | Height | 9\n", 5,
                      "property 4 borrows from unknown property 9");
        propertyFault("borrows a borrower", SmallProperties + "4 | Height | 3\n", 5,
                      "property 4 borrows from 3, which has no units of its own");
        propertyFault("missing name", "1 | \n", 1, "property 1 has no name");

        const QString temperature = SmallProperties + "92 | Temperature\n";
        const QString scales = "[92]\n11 | Kelvin | - | - | x\n12 | Celsius | - | - | x\n13 | Fahrenheit | - | - | x\n";
        row("missing scale", temperature, SmallUnits + scales, props, 5,
            "temperature property 92 lacks the scale Rankine");
        row("scale in lower case", temperature, SmallUnits + scales + "14 | rankine | - | - | x\n", units, 12,
            "must be named Fahrenheit, Celsius, Rankine or Kelvin");
        row("scale with a factor", temperature, SmallUnits + scales + "14 | Rankine | 5/9 | - | x\n", units, 12,
            "its definition must be '-'");
        row("scale referenced", temperature,
            SmallUnits + scales + "14 | Rankine | - | - | x\n[1]\n15 | X | {92:Kelvin} | - | x\n", units, 14,
            "cannot be referenced");
        propertyFault("temperature borrows", SmallProperties + "93 | Hot | 1\n", 5,
                      "a temperature property cannot borrow or lend units");
    }

    void parserRejects()
    {
        QFETCH(QString, properties);
        QFETCH(QString, units);
        QFETCH(QString, file);
        QFETCH(int, line);
        QFETCH(QString, message);
        QTemporaryDir dir;
        writeCatalogue(dir.path(), properties, units);
        try {
            CatalogueSource::load(dir.path());
            QFAIL("the faulty catalogue was accepted");
        } catch (const CatalogueSource::SourceError& error) {
            QCOMPARE(error.file(), file);
            QCOMPARE(error.line(), line);
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
            QVERIFY(QString::fromUtf8(error.what()).startsWith(QString("%1:%2: ").arg(file).arg(line)));
        }
    }

    void toolWritesDatabase()
    {
        QTemporaryDir dir;
        writeCatalogue(dir.path() + "/src", SmallTemperatureProperties, SmallTemperatureUnits);
        const QString output = dir.path() + "/out.mdb";
        QCOMPARE(runTool({"--any-borrowing", dir.path() + "/src", output}).exitCode, 0);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"out.mdb"}));

        TestKit::FileConnection db(output);
        QVERIFY2(db.error().isEmpty(), qPrintable(db.error()));
        QCOMPARE(db.rowsOrFail("pragma journal_mode"), QList<QStringList>({{"delete"}}));
        QCOMPARE(db.rowsOrFail("select * from tbProperty"),
                 QList<QStringList>(
                     {{"1", "Length", "0"}, {"2", "Area", "0"}, {"3", "Distance", "0"}, {"92", "Temperature", "0"}}));
        const QList<QStringList> foot = db.rowsOrFail("select * from tbUnits where uname = 'square FOOT'");
        QVERIFY(!foot.isEmpty());
        QCOMPARE(foot.first().at(0), QString("4"));
        QCOMPARE(foot.first().at(2).toDouble(), 1.0 / (0.3048 * 0.3048));
        QCOMPARE(foot.first().at(3), QString("2"));
        QCOMPARE(foot.first().at(4), QString("0"));
        QCOMPARE(db.rowsOrFail("select count(*) from tbUnits where PropID = '92' and factor = 1"),
                 QList<QStringList>({{"4"}}));
    }

    void toolFailureKeepsPreviousFile_data()
    {
        const TestKit::DataTable<QString, bool, QString> row("units", "outputIsFolder", "message");
        row("fault in the sources", SmallUnits + "[1]\n5 | Bad | 1 / 0 | - | x\n", false,
            "units/10-units.txt:9: division by zero");
        row("output cannot be replaced", SmallUnits, true, "cannot rename");
    }

    void toolFailureKeepsPreviousFile()
    {
        QFETCH(QString, units);
        QFETCH(bool, outputIsFolder);
        QFETCH(QString, message);
        QTemporaryDir dir;
        writeCatalogue(dir.path() + "/src", SmallProperties, units);
        const QString output = dir.path() + "/out.mdb";
        const QString previous = outputIsFolder ? output + "/previous" : output;
        QVERIFY(TestKit::writeFile(previous, "previous catalogue"));
        const ToolRun run = runTool({"--any-borrowing", dir.path() + "/src", output});
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.error.contains(message), qPrintable(run.error));
        QCOMPARE(TestKit::readFile(previous), std::optional<QByteArray>("previous catalogue"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({"out.mdb", "src"}));
    }

    void toolRefusesOtherBorrowing()
    {
        // The shipped sources with one borrower pointed at another lender: a catalogue
        // the parser accepts, which the converter would list wrongly.
        QTemporaryDir dir;
        const QString source = QStringLiteral(QUANTARO_CATALOGUE_DIR);
        const UnitBorrowing first = UnitBorrowings().first();
        const QString wrongLender = QString::number(UnitBorrowings().last().unitsOf);
        QVERIFY(wrongLender != QString::number(first.unitsOf));
        QString properties;
        int changedLine = 0;
        const std::optional<QByteArray> shipped = TestKit::readFile(source + "/properties.txt");
        QVERIFY(shipped);
        const QStringList lines = QString::fromUtf8(*shipped).split('\n');
        const QRegularExpression borrower(QString("^%1\\s*\\|([^|]*)\\|.*$").arg(first.property));
        for (int i = 0; i < lines.size(); ++i) {
            QString line = lines.at(i);
            if (borrower.match(line).hasMatch()) {
                line.replace(borrower, QString("%1 |\\1| %2").arg(first.property).arg(wrongLender));
                changedLine = i + 1;
            }
            properties += line + (i + 1 < lines.size() ? "\n" : "");
        }
        QVERIFY(changedLine > 0);
        QVERIFY(TestKit::writeFile(dir.path() + "/src/properties.txt", properties.toUtf8()));
        QVERIFY(QDir().mkpath(dir.path() + "/src/units"));
        for (const QFileInfo& units : QDir(source + "/units").entryInfoList(QDir::Files))
            QVERIFY(QFile::copy(units.filePath(), dir.path() + "/src/units/" + units.fileName()));
        const QString output = dir.path() + "/out.mdb";
        const ToolRun run = runTool({dir.path() + "/src", output}, 60000);
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.error.contains(QString("properties.txt:%1: property %2 borrows from %3, but the converter's table")
                                        .arg(changedLine)
                                        .arg(first.property)
                                        .arg(wrongLender)),
                 qPrintable(run.error));
        QVERIFY(!QFile::exists(output));
    }

private:
    QList<QStringList> rows(const QString& sql, const QVariantList& params = {}) const
    {
        return m_built->rowsOrFail(sql, params);
    }

    std::unique_ptr<TestKit::FileConnection> m_built; // the catalogue the build made, read only
    CatalogueSource::Catalogue m_sources;
    QHash<QString, QString> m_referenceGnu; // property -> GNU expression of its reference unit
};

QTEST_GUILESS_MAIN(tst_catalogue)
#include "tst_catalogue.moc"
