#include "CatalogueRows.h"
#include "DataTable.h"
#include "Files.h"
#include "TestDatabase.h"

#include "data/CheckedFile.h"
#include "data/RuntimeError.h"
#include "data/Schema.h"
#include "data/Variant.h"
#include "data/modMain.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QThread>
#include <QtTest>

using modMain::dbRecordset;
using modMain::OpenRecordset;
namespace PropertyColumn = Schema::PropertyColumn;
namespace UnitColumn = Schema::UnitColumn;

class TestData : public QObject
{
    Q_OBJECT

private:
    // Length and Temperature, Metre and Foot, opened as the shared connection.
    struct Catalogue : TestDatabase
    {
        Catalogue()
        {
            TestKit::addRows(*this, {{"1015", "Length"}, {"92", "Temperature"}},
                             {{"1", "Metre", 1.0, "1015"}, {"2", "Foot", 1 / 0.3048, "1015"}});
            openShared();
        }
    };

private slots:
    void openingFailsWithoutCreatingAFile_data()
    {
        const TestKit::DataTable<QByteArray, bool> row("content", "exists");
        row("missing", QByteArray(), false);
        row("damaged", QByteArray("this is not a database, just some text\n").repeated(200), true);
        row("empty SQLite file without tables", QByteArray(), true);
    }

    void openingFailsWithoutCreatingAFile()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Tessaly.mdb"));
        if (exists) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        modMain::dbConnection.ConnectionString = path;
        QCOMPARE(errorOf([] { modMain::dbConnection.Open(); }), ErrorNumber::ProviderError);
        QVERIFY(!modMain::dbConnection.isOpen());
        QCOMPARE(QFile::exists(path), exists);
        QCOMPARE(QFileInfo(path).size(), qint64(content.size()));
    }

    // A file read through and found sound is read through again only once it
    // changed: written in place with its modified time set back, it is still
    // refused as damaged. A log with frames in it, another file by the same
    // content, or no folder to remember in all mean reading it through.
    void soundFileIsReadThroughAgainOnceChanged()
    {
        TestDatabase catalogue;
        catalogue.useShippedCatalogue();
        QTemporaryDir records;
        const CheckedFile checked(records.path());
        const auto forget = qScopeGuard([] {
            modMain::dbConnection.Close();
            modMain::dbConnection.rememberSoundFile(CheckedFile());
        });
        modMain::dbConnection.ConnectionString = catalogue.path();
        modMain::dbConnection.rememberSoundFile(checked);
        QVERIFY(!checked.unchanged(catalogue.path()));
        modMain::dbConnection.Open();
        modMain::dbConnection.Close();
        QVERIFY(checked.unchanged(catalogue.path()));
        modMain::dbConnection.Open();
        modMain::dbConnection.Close();
        QVERIFY(checked.unchanged(catalogue.path()));

        const QString copy = catalogue.dir() + QStringLiteral("/copy.mdb");
        QVERIFY(QFile::copy(catalogue.path(), copy));
        QVERIFY(!checked.unchanged(copy));
        QVERIFY(TestKit::writeFile(catalogue.path() + QStringLiteral("-wal"), "frames"));
        QVERIFY(!checked.unchanged(catalogue.path()));
        QVERIFY(QFile::remove(catalogue.path() + QStringLiteral("-wal")));
        QVERIFY(checked.unchanged(catalogue.path()));
        CheckedFile().remember(catalogue.path());
        QVERIFY(!CheckedFile().unchanged(catalogue.path()));
        // A record of the file checked for other columns is not taken.
        const QString record = records.filePath(QStringLiteral("checked-catalogue"));
        const QByteArray remembered = TestKit::readFile(record).value_or(QByteArray());
        QVERIFY(remembered.contains("tbUnits(UID,"));
        QVERIFY(TestKit::writeFile(record, QByteArray(remembered).replace("tbUnits(UID,", "tbUnits(UNID,")));
        QVERIFY(!checked.unchanged(catalogue.path()));
        QVERIFY(TestKit::writeFile(record, remembered));
        QVERIFY(checked.unchanged(catalogue.path()));

        {
            QFile file(catalogue.path());
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
            const qint64 size = file.size();
            QVERIFY(file.seek(4096));
            QCOMPARE(file.write(QByteArray(size - 4096, '\xA5')), size - 4096);
            file.close();
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
        }
        QVERIFY(!checked.unchanged(catalogue.path()));
        QCOMPARE(errorOf([] { modMain::dbConnection.Open(); }), ErrorNumber::ProviderError);
        QVERIFY(!modMain::dbConnection.isOpen());
    }

    void openRecordsetReplacesAndRetries()
    {
        Catalogue db;

        OpenRecordset(QStringLiteral("select * from tbProperty where PropID = ?"), {QStringLiteral("92")});
        QVERIFY(dbRecordset.isOpen());
        // Still open: the second query takes over through close-and-retry.
        OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("2")});
        QCOMPARE(dbRecordset.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Foot"));
        QCOMPARE(dbRecordset.fieldCount(), 5);

        dbRecordset.Close();
        QCOMPARE(errorOf([] { dbRecordset.Close(); }), ErrorNumber::ObjectClosed);
        OpenRecordset(QStringLiteral("select * from tbUnits where PropID = ? order by UID"), {QStringLiteral("1015")});
        QCOMPARE(dbRecordset.Fields(UnitColumn::UID).Value().toString(), QStringLiteral("1"));
        dbRecordset.MoveNext();
        QCOMPARE(dbRecordset.Fields(UnitColumn::UID).Value().toString(), QStringLiteral("2"));
        dbRecordset.MoveNext();
        QVERIFY(dbRecordset.Eof());
        QCOMPARE(errorOf([] { dbRecordset.Fields(UnitColumn::UID).Value(); }), ErrorNumber::NoCurrentRecord);
        QCOMPARE(errorOf([] { dbRecordset.MoveNext(); }), ErrorNumber::NoCurrentRecord);
        dbRecordset.MoveFirst();
        QCOMPARE(dbRecordset.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Metre"));
        QCOMPARE(errorOf([] { dbRecordset.Open(QStringLiteral("select * from tbUnits")); }), ErrorNumber::ObjectOpen);
        QCOMPARE(errorOf([] { dbRecordset.Fields(5).Value(); }), ErrorNumber::ItemNotFound);
    }

    void emptyAndFailingQueries()
    {
        Catalogue db;

        OpenRecordset(QStringLiteral("select * from tbUnits where PropID = ?"), {QStringLiteral("4711")});
        QVERIFY(dbRecordset.isOpen());
        QVERIFY(dbRecordset.Eof());
        QCOMPARE(errorOf([] { dbRecordset.MoveFirst(); }), ErrorNumber::NoCurrentRecord);

        // A failing query reports nothing and leaves the set closed; the caller
        // meets the error at its first access.
        OpenRecordset(QStringLiteral("select * from tbMissing"));
        QVERIFY(!dbRecordset.isOpen());
        QCOMPARE(errorOf([] { dbRecordset.Eof(); }), ErrorNumber::ObjectClosed);
        OpenRecordset(QStringLiteral("select * from"));
        QVERIFY(!dbRecordset.isOpen());
    }

    void comparisonsIgnoreCaseAndTextIdsSortAsText()
    {
        Catalogue db;
        OpenRecordset(QStringLiteral("select * from tbUnits where uname = ?"), {QStringLiteral("FOOT")});
        QVERIFY(!dbRecordset.Eof());
        QCOMPARE(dbRecordset.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Foot"));
        OpenRecordset(QStringLiteral("select * from tbProperty order by PropID"));
        QCOMPARE(dbRecordset.Fields(PropertyColumn::PropID).Value().toString(), QStringLiteral("1015"));
        dbRecordset.MoveNext();
        QCOMPARE(dbRecordset.Fields(PropertyColumn::PropID).Value().toString(), QStringLiteral("92"));
    }

    void addedRowIsReadBack()
    {
        Catalogue db;
        const QString name = QStringLiteral("O'Brien'; drop table tbUnits; --");
        OpenRecordset(QStringLiteral("select * from tbUnits"));
        dbRecordset.AddNew();
        QVERIFY(!dbRecordset.Eof());
        dbRecordset.Fields(UnitColumn::UID).setValue(QStringLiteral("15172419"));
        dbRecordset.Fields(UnitColumn::PropID).setValue(QStringLiteral("1015"));
        dbRecordset.Fields(UnitColumn::uname).setValue(name);
        dbRecordset.Fields(UnitColumn::factor).setValue(3.280839895013123);
        dbRecordset.Fields(UnitColumn::df).setValue(QStringLiteral("0"));
        dbRecordset.Update();
        QCOMPARE(dbRecordset.Fields(UnitColumn::uname).Value().toString(), name);

        // Written at once: visible to the shared set and to another connection.
        OpenRecordset(QStringLiteral("select * from tbUnits where uname = ? and propID = ?"),
                      {name, QStringLiteral("1015")});
        QVERIFY(!dbRecordset.Eof());
        QCOMPARE(dbRecordset.Fields(UnitColumn::UID).Value().toString(), QStringLiteral("15172419"));
        QCOMPARE(dbRecordset.Fields(UnitColumn::factor).Value().toDouble(), 3.280839895013123);
        const QList<QStringList> expected{{name, QStringLiteral("1015"), QStringLiteral("0")}};
        QCOMPARE(db.rows(QStringLiteral("select uname, PropID, df from tbUnits where UID = '15172419'")), expected);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tbUnits")).toInt(), 3);
    }

    void flagUpdateIsReadBack()
    {
        Catalogue db;
        OpenRecordset(QStringLiteral("select * from tbProperty where PropID = ?"), {QStringLiteral("1015")});
        dbRecordset.Fields(PropertyColumn::propDF).setValue(QStringLiteral("1"));
        dbRecordset.Update();
        QCOMPARE(db.scalar(QStringLiteral("select propDF from tbProperty where PropID = '1015'")).toString(),
                 QStringLiteral("1"));
        QCOMPARE(db.scalar(QStringLiteral("select propDF from tbProperty where PropID = '92'")).toString(),
                 QStringLiteral("0"));
    }

    // Each value goes to its own placeholder, also beside a question mark in a
    // quoted text or a numbered placeholder, and the row found is written back.
    void placeholdersBindInOrder_data()
    {
        const TestKit::DataTable<QString, QVariantList> row("sql", "params");
        row("two placeholders", QStringLiteral("select * from tbUnits where PropID = ? and UID = ?"),
            QVariantList{QStringLiteral("1015"), QStringLiteral("2")});
        row("question mark in a text", QStringLiteral("select * from tbUnits where uname <> 'a?' and UID = ?"),
            QVariantList{QStringLiteral("2")});
        row("numbered placeholder", QStringLiteral("select * from tbUnits where UID = ?1"),
            QVariantList{QStringLiteral("2")});
    }

    void placeholdersBindInOrder()
    {
        QFETCH(QString, sql);
        QFETCH(QVariantList, params);
        Catalogue db;
        OpenRecordset(sql, params, {UnitColumn::uname, UnitColumn::df});
        QCOMPARE(dbRecordset.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Foot"));
        dbRecordset.Fields(UnitColumn::df).setValue(QStringLiteral("1"));
        dbRecordset.Update();
        QCOMPARE(db.scalar(QStringLiteral("select df from tbUnits where UID = '2'")).toString(), QStringLiteral("1"));
        QCOMPARE(db.scalar(QStringLiteral("select df from tbUnits where UID = '1'")).toString(), QStringLiteral("0"));
    }

    // A result set opened for some fields reads those alone, walks every row,
    // and writes a changed field back like any other.
    void someFieldsOnly()
    {
        Catalogue db;
        OpenRecordset(QStringLiteral("select * from tbUnits where PropID = ? order by UID"), {QStringLiteral("1015")},
                      {UnitColumn::UID, UnitColumn::df});
        QStringList seen;
        for (; !dbRecordset.Eof(); dbRecordset.MoveNext())
            seen << dbRecordset.Fields(UnitColumn::UID).Value().toString() +
                        dbRecordset.Fields(UnitColumn::df).Value().toString();
        QCOMPARE(seen, (QStringList{QStringLiteral("10"), QStringLiteral("20")}));
        dbRecordset.MoveFirst();
        QCOMPARE(errorOf([] { dbRecordset.Fields(UnitColumn::uname).Value(); }), ErrorNumber::ItemNotFound);
        dbRecordset.Fields(UnitColumn::df).setValue(QStringLiteral("1"));
        dbRecordset.Update();
        QCOMPARE(dbRecordset.Fields(UnitColumn::df).Value().toString(), QStringLiteral("1"));
        QCOMPARE(db.scalar(QStringLiteral("select df from tbUnits where UID = '1'")).toString(), QStringLiteral("1"));
        QCOMPARE(db.scalar(QStringLiteral("select uname from tbUnits where UID = '1'")).toString(),
                 QStringLiteral("Metre"));
        // Fields outside the table's columns: every field is read.
        OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("2")}, {9});
        QCOMPARE(dbRecordset.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Foot"));
    }

    // A change made while a walk is under way is in the file for other readers
    // at once, and the walk goes on over the rows after it; a walk read to its
    // last row holds nothing, so the log folds into the file.
    void writeDuringWalk()
    {
        Catalogue db;
        OpenRecordset(QStringLiteral("select * from tbUnits order by UID"));
        dbRecordset.Fields(UnitColumn::df).setValue(QStringLiteral("1"));
        dbRecordset.Update();
        QCOMPARE(db.scalar(QStringLiteral("select df from tbUnits where UID = '1'")).toString(), QStringLiteral("1"));
        dbRecordset.MoveNext();
        QCOMPARE(dbRecordset.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Foot"));
        QVERIFY(!dbRecordset.Eof());
        dbRecordset.MoveNext();
        QVERIFY(dbRecordset.Eof());
        QSqlQuery query(modMain::dbConnection.database());
        QVERIFY(query.exec(QStringLiteral("pragma wal_checkpoint(truncate)")) && query.next());
        QCOMPARE(query.value(0).toInt(), 0);
    }

    // Two result sets over the same query walk it each on its own.
    void twoWalksOfOneQuery()
    {
        Catalogue db;
        const QString sql = QStringLiteral("select * from tbUnits order by UID");
        Recordset first;
        first.Open(sql);
        Recordset second;
        second.Open(sql);
        second.MoveNext();
        QCOMPARE(first.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Metre"));
        QCOMPARE(second.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Foot"));
        first.MoveNext();
        QCOMPARE(first.Fields(UnitColumn::uname).Value().toString(), QStringLiteral("Foot"));
        second.MoveNext();
        QVERIFY(second.Eof());
        QVERIFY(!first.Eof());
    }

    // Only a query of all columns of one table can write its rows back; the
    // spelling of its keywords and spaces does not matter.
    void selectAllSpellings_data()
    {
        const TestKit::DataTable<QString, bool> row("sql", "writable");
        row("plain", QStringLiteral("select * from tbProperty where PropID = ?"), true);
        row("capitals", QStringLiteral("SELECT * FROM TBPROPERTY WHERE PropID = ?"), true);
        row("tabs and breaks", QStringLiteral(" \tselect\n*\r\nfrom   tbProperty\twhere PropID = ?"), true);
        row("columns named", QStringLiteral("select PropID, PropName, propDF from tbProperty where PropID = ?"), false);
        row("no space after star", QStringLiteral("select *from tbProperty where PropID = ?"), false);
    }

    void selectAllSpellings()
    {
        QFETCH(QString, sql);
        QFETCH(bool, writable);
        Catalogue db;
        OpenRecordset(sql, {QStringLiteral("1015")});
        QCOMPARE(dbRecordset.Fields(PropertyColumn::PropID).Value().toString(), QStringLiteral("1015"));
        QCOMPARE(dbRecordset.Fields(PropertyColumn::propname).Value().toString(), QStringLiteral("Length"));
        const int error = errorOf([] {
            dbRecordset.Fields(PropertyColumn::propDF).setValue(QStringLiteral("1"));
            dbRecordset.Update();
        });
        QCOMPARE(error == 0, writable);
        QCOMPARE(db.scalar(QStringLiteral("select propDF from tbProperty where PropID = '1015'")).toString(),
                 writable ? QStringLiteral("1") : QStringLiteral("0"));
    }

    // Every change goes to the write-ahead log beside the file as it is made. A
    // program killed before the log is folded into the file leaves both behind,
    // and the next open takes the log in: nothing written is lost.
    void logLeftBesideTheFileIsTakenIn()
    {
        Catalogue db;
        QSqlQuery mode(modMain::dbConnection.database());
        QVERIFY(mode.exec(QStringLiteral("pragma journal_mode")) && mode.next());
        QCOMPARE(mode.value(0).toString(), QStringLiteral("wal"));
        mode.finish();
        OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("2")});
        dbRecordset.Fields(UnitColumn::df).setValue(QStringLiteral("1"));
        dbRecordset.Update();
        const QString log = db.path() + QStringLiteral("-wal");
        QVERIFY(QFileInfo(log).size() > 0);

        // The files as a killed program leaves them, opened by the next start.
        QTemporaryDir next;
        const QString copy = next.filePath(QStringLiteral("Tessaly.mdb"));
        QVERIFY(QFile::copy(db.path(), copy));
        QVERIFY(QFile::copy(log, copy + QStringLiteral("-wal")));
        dbRecordset.Close();
        modMain::dbConnection.ConnectionString = copy;
        modMain::dbConnection.Open();
        OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("2")});
        QCOMPARE(dbRecordset.Fields(UnitColumn::df).Value().toString(), QStringLiteral("1"));
        OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("1")});
        QCOMPARE(dbRecordset.Fields(UnitColumn::df).Value().toString(), QStringLiteral("0"));
        dbRecordset.Close();
        modMain::dbConnection.Close();
    }

    // Another connection to the file, as a second copy of the program: its
    // commits, and its folds of the log that write the file itself, are no
    // change under the program. Steps in a seeded random order, a few
    // milliseconds apart so that each write shows in the file's times.
    void othersCommitsAndFoldsAreNoChange()
    {
        Catalogue db;
        int others = 0;
        const auto countOthers = [] {
            OpenRecordset(QStringLiteral("select * from tbUserProperty"));
            int seen = 0;
            for (; !dbRecordset.Eof(); dbRecordset.MoveNext())
                ++seen;
            return seen;
        };
        const auto otherCommits = [&] {
            db.exec(QStringLiteral("insert into tbUserProperty values (?, 'Other', '0')"), {QString::number(++others)});
        };
        const auto otherFolds = [&] {
            db.exec(QStringLiteral("pragma wal_checkpoint(passive)"));
            QThread::msleep(15);
        };
        // The program sees the other's commit after the file changed, and the
        // fold that writes that commit into the file leaves the count of
        // commits as the program saw it.
        otherCommits();
        otherFolds();
        otherCommits();
        QCOMPARE(countOthers(), 2);
        otherFolds();
        QCOMPARE(countOthers(), 2);
        QVERIFY(!modMain::dbConnection.changedUnderProgram());

        QRandomGenerator random(20);
        int flag = 0;
        for (int step = 0; step < 240; ++step) {
            switch (random.bounded(6)) {
            case 0:
            case 1:
                db.exec(QStringLiteral("insert into tbUserProperty values (?, 'Other', '0')"),
                        {QString::number(++others)});
                break;
            case 2:
                db.exec(QStringLiteral("pragma wal_checkpoint(passive)"));
                break;
            case 3:
                db.exec(QStringLiteral("pragma wal_checkpoint(truncate)"));
                break;
            case 4:
                OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("1")});
                dbRecordset.Fields(4).setValue(QString::number(flag = 1 - flag));
                dbRecordset.Update();
                modMain::dbConnection.saveToFile();
                break;
            default:
                // The program's reader holds its view while the other connection folds the log.
                OpenRecordset(QStringLiteral("select * from tbUnits"));
                db.exec(QStringLiteral("insert into tbUserProperty values (?, 'Other', '0')"),
                        {QString::number(++others)});
                db.exec(QStringLiteral("pragma wal_checkpoint(passive)"));
                dbRecordset.Close();
                break;
            }
            QThread::msleep(3);
            QCOMPARE(countOthers(), others);
            QVERIFY2(!modMain::dbConnection.changedUnderProgram(), qPrintable(QString::number(step)));
        }
        QCOMPARE(db.scalar(QStringLiteral("select df from tbUnits where UID = '1'")).toInt(), flag);
    }

    void refusedWritesChangeNothing()
    {
        Catalogue db;
        // An identifier the table already holds is refused, and the refused row
        // is not carried into the next write.
        OpenRecordset(QStringLiteral("select * from tbUnits"));
        dbRecordset.AddNew();
        dbRecordset.Fields(UnitColumn::UID).setValue(QStringLiteral("2"));
        dbRecordset.Fields(UnitColumn::uname).setValue(QStringLiteral("Clash"));
        QCOMPARE(errorOf([] { dbRecordset.Update(); }), ErrorNumber::DuplicateValue);
        dbRecordset.Update();
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tbUnits")).toInt(), 2);

        // A row removed by another program cannot be written back.
        OpenRecordset(QStringLiteral("select * from tbUnits where UID = ?"), {QStringLiteral("1")});
        db.exec(QStringLiteral("delete from tbUnits where UID = '1'"));
        dbRecordset.Fields(UnitColumn::df).setValue(QStringLiteral("1"));
        QVERIFY(errorOf([] { dbRecordset.Update(); }) != 0);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tbUnits")).toInt(), 1);
    }

    void transactionsAreAllOrNothing()
    {
        Catalogue db;
        modMain::dbConnection.BeginTrans();
        OpenRecordset(QStringLiteral("select * from tbProperty"));
        dbRecordset.AddNew();
        dbRecordset.Fields(PropertyColumn::PropID).setValue(QStringLiteral("2000"));
        dbRecordset.Update();
        modMain::dbConnection.RollbackTrans();
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from tbProperty")).toInt(), 2);
    }

    void variantConversions_data()
    {
        const TestKit::DataTable<QVariant, int, int> row("value", "int32Error", "doubleError");
        row("null", QVariant(QMetaType(QMetaType::QString)), ErrorNumber::InvalidUseOfNull,
            ErrorNumber::InvalidUseOfNull);
        row("text", QVariant(QStringLiteral("abc")), ErrorNumber::TypeMismatch, ErrorNumber::TypeMismatch);
        row("beyond 32 bits", QVariant(QStringLiteral("99999999999")), ErrorNumber::Overflow, 0);
        row("beyond 64 bits", QVariant(QStringLiteral("999999999999999999999")), ErrorNumber::Overflow, 0);
        row("beyond single", QVariant(1e39), ErrorNumber::Overflow, 0);
        row("beyond double", QVariant(std::numeric_limits<double>::infinity()), ErrorNumber::TypeMismatch,
            ErrorNumber::Overflow);
        row("not a number", QVariant(QStringLiteral("nan")), ErrorNumber::TypeMismatch, ErrorNumber::TypeMismatch);
        row("blanks around", QVariant(QStringLiteral(" 12 ")), 0, 0);
        row("largest in 32 bits", QVariant(QStringLiteral("2147483647")), 0, 0);
        row("just beyond 32 bits", QVariant(QStringLiteral("2147483648")), ErrorNumber::Overflow, 0);
        row("eighteen digits", QVariant(QStringLiteral("999999999999999999")), ErrorNumber::Overflow, 0);
    }

    void variantConversions()
    {
        QFETCH(QVariant, value);
        QFETCH(int, int32Error);
        QFETCH(int, doubleError);
        QCOMPARE(errorOf([&] { Variant::toInt32(value); }), int32Error);
        QCOMPARE(errorOf([&] { Variant::toDouble(value); }), doubleError);
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
