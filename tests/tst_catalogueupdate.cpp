// Bringing a user's catalogue up to date with a newer shipped one.

#include "CatalogueRows.h"
#include "DataTable.h"
#include "Files.h"
#include "TestDatabase.h"

#include "data/CatalogueUpdate.h"
#include "data/RuntimeError.h"
#include "data/modMain.h"

#include <QtTest>

namespace {

using Rows = QList<QStringList>;

const QString AllProperties = QStringLiteral("select * from tbProperty order by PropID");
const QString AllUnits = QStringLiteral("select * from tbUnits order by UID");
const QString UserRecord = QStringLiteral("select 'P', PropID, propname, '', '', propDF from tbUserProperty union all "
                                          "select 'U', UID, uname, factor, PropID, df from tbUserUnits order by 1, 2");

void setVersion(TestDatabase& db, int version)
{
    db.exec(QStringLiteral("pragma user_version = %1").arg(version));
}

// A user's file: shipped Length with Metre and Foot, which the user hid, and
// Length itself hidden; the user's own property "Mine" with its unit.
struct UsersFile : TestDatabase
{
    UsersFile()
    {
        TestKit::addRows(*this, {{"1015", "Length", "1"}},
                         {{"1", "Metre", 1.0, "1015"}, {"2", "Fot", 3.2, "1015", "1"}});
        for (const QString& suffix : {QString(), QStringLiteral("User")}) {
            exec(QStringLiteral("insert into tb%1Property values ('20000000', 'Mine', '0')").arg(suffix));
            exec(QStringLiteral("insert into tb%1Units values ('20000001', 'Mine unit', 1, '20000000', '0')")
                     .arg(suffix));
        }
        setVersion(*this, 4);
    }
};

// The next shipped catalogue: Foot's name and factor corrected, Yard added.
struct NewCatalogue : TestDatabase
{
    explicit NewCatalogue(int version)
    {
        TestKit::addRows(*this, {{"1015", "Length"}},
                         {{"1", "Metre", 1.0, "1015"}, {"2", "Foot", 3.28084, "1015"}, {"3", "Yard", 1.09361, "1015"}});
        setVersion(*this, version);
    }
};

int liveVersion(TestDatabase& live)
{
    return live.scalar(QStringLiteral("pragma user_version")).toInt();
}

} // namespace

class TestCatalogueUpdate : public QObject
{
    Q_OBJECT

private slots:
    void shippedColumnsArriveUserFlagsAndRowsStay()
    {
        UsersFile live;
        const Rows record = live.rows(UserRecord);
        NewCatalogue seed(5);
        live.openShared();

        QVERIFY(CatalogueUpdate::isNewer(modMain::dbConnection.database(), seed.path()));
        QVERIFY(CatalogueUpdate::apply(modMain::dbConnection.database(), seed.path()));
        QCOMPARE(live.rows(AllProperties), Rows({{"1015", "Length", "1"}, {"20000000", "Mine", "0"}}));
        QCOMPARE(live.rows(AllUnits), Rows({{"1", "Metre", "1", "1015", "0"},
                                            {"2", "Foot", "3.28084", "1015", "1"},
                                            {"20000001", "Mine unit", "1", "20000000", "0"},
                                            {"3", "Yard", "1.09361", "1015", "0"}}));
        QCOMPARE(live.rows(UserRecord), record);
        QCOMPARE(liveVersion(live), 5);

        // Brought up to that version, the same catalogue changes nothing again.
        live.exec(QStringLiteral("update tbUnits set df = '0' where UID = '2'"));
        QVERIFY(!CatalogueUpdate::isNewer(modMain::dbConnection.database(), seed.path()));
        QVERIFY(!CatalogueUpdate::apply(modMain::dbConnection.database(), seed.path()));
        QCOMPARE(live.scalar(QStringLiteral("select df from tbUnits where UID = '2'")).toString(), QStringLiteral("0"));
    }

    void olderCatalogueChangesNothing()
    {
        UsersFile live;
        const Rows units = live.rows(AllUnits);
        NewCatalogue seed(3);
        live.openShared();
        QVERIFY(!CatalogueUpdate::apply(modMain::dbConnection.database(), seed.path()));
        QCOMPARE(live.rows(AllUnits), units);
        QCOMPARE(liveVersion(live), 4);
    }

    // A new shipped property and unit whose identifiers the user's rows hold:
    // the user's rows stay, the shipped ones move to free identifiers, and the
    // next update finds them there.
    void identifierClashKeepsBoth()
    {
        UsersFile live;
        for (const QString& suffix : {QString(), QStringLiteral("User")}) {
            live.exec(QStringLiteral("insert into tb%1Property values ('1016', 'My area', '0')").arg(suffix));
            live.exec(QStringLiteral("insert into tb%1Units values ('3', 'My unit', 7, '1016', '0')").arg(suffix));
        }
        const Rows record = live.rows(UserRecord);
        NewCatalogue seed(5);
        TestKit::addRows(seed, {{"1016", "Area"}}, {{"4", "Square metre", 1.0, "1016"}});
        live.openShared();

        QVERIFY(CatalogueUpdate::apply(modMain::dbConnection.database(), seed.path()));
        QCOMPARE(live.rows(UserRecord), record);
        QCOMPARE(live.rows(QStringLiteral("select * from tbProperty where PropID = '1016'")),
                 Rows({{"1016", "My area", "0"}}));
        QCOMPARE(live.rows(QStringLiteral("select * from tbUnits where UID = '3'")),
                 Rows({{"3", "My unit", "7", "1016", "0"}}));
        const QString area =
            live.scalar(QStringLiteral("select PropID from tbProperty where propname = 'Area'")).toString();
        QVERIFY(!area.isEmpty() && area != QStringLiteral("1016"));
        QCOMPARE(live.rows(QStringLiteral("select UID, PropID from tbUnits where uname = 'Square metre'")),
                 Rows({{"4", area}}));
        const QString yard = live.scalar(QStringLiteral("select UID from tbUnits where uname = 'Yard'")).toString();
        QVERIFY(!yard.isEmpty() && yard != QStringLiteral("3"));

        NewCatalogue next(6);
        next.exec(QStringLiteral("update tbUnits set factor = 1.0936133 where UID = '3'"));
        next.addProperty(QStringLiteral("1016"), QStringLiteral("Area (plane)"));
        QVERIFY(CatalogueUpdate::apply(modMain::dbConnection.database(), next.path()));
        QCOMPARE(live.rows(QStringLiteral("select UID, factor from tbUnits where uname = 'Yard'")),
                 Rows({{yard, "1.0936133"}}));
        QCOMPARE(live.rows(QStringLiteral("select PropID from tbProperty where propname like 'Area%'")),
                 Rows({{area}}));
        QCOMPARE(live.rows(UserRecord), record);
    }

    // Rows the shipped file's own user tables record are the user's, not shipped.
    void shippedRowsLeaveOutTheShippedFilesUserRows()
    {
        UsersFile live;
        NewCatalogue seed(5);
        seed.exec(QStringLiteral("insert into tbUnits values ('30000000', 'Someone else', 2, '1015', '0')"));
        seed.exec(QStringLiteral("insert into tbUserUnits values ('30000000', 'Someone else', 2, '1015', '0')"));
        live.openShared();
        QVERIFY(CatalogueUpdate::apply(modMain::dbConnection.database(), seed.path()));
        QCOMPARE(live.scalar(QStringLiteral("select count(*) from tbUnits where uname = 'Someone else'")).toInt(), 0);
    }

    void failureLeavesTheFileAsItWas()
    {
        UsersFile live;
        live.exec(QStringLiteral("create trigger refuseYard before insert on tbUnits when new.uname = 'Yard' "
                                 "begin select raise(abort, 'no room for a yard'); end"));
        const Rows properties = live.rows(AllProperties);
        const Rows units = live.rows(AllUnits);
        NewCatalogue seed(5);
        seed.exec(QStringLiteral("update tbProperty set propname = 'Length (new)'"));
        live.openShared();

        const int error = errorOf([&] { CatalogueUpdate::apply(modMain::dbConnection.database(), seed.path()); });
        QCOMPARE(error, ErrorNumber::ProviderError);
        QCOMPARE(live.rows(AllProperties), properties);
        QCOMPARE(live.rows(AllUnits), units);
        QCOMPARE(liveVersion(live), 4);
    }

    void versionIsReadFromTheHeader_data()
    {
        const TestKit::DataTable<QByteArray, int> row("content", "version");
        row("not a database", QByteArray("plain text, not a catalogue").repeated(10), 0);
        row("empty", QByteArray(), 0);
        QByteArray header("SQLite format 3", 16);
        header.append(QByteArray(84, '\0'));
        header[60] = 0x0c;
        header[61] = 0xd0;
        header[62] = 0x8a;
        header[63] = 0x2d;
        row("header", header, 0x0cd08a2d);
    }

    void versionIsReadFromTheHeader()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, version);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.mdb"));
        QVERIFY(TestKit::writeFile(path, content));
        QCOMPARE(CatalogueUpdate::fileVersion(path), version);
    }
};

QTEST_GUILESS_MAIN(TestCatalogueUpdate)
#include "tst_catalogueupdate.moc"
