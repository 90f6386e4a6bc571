// Database faults while the program runs. Each case opens the real windows on
// a fresh catalogue and takes the user up to the last gesture of an action
// (convert, pick a property, add a property or unit, move an item), injects
// one fault, and makes the gesture. The action must either work as usual or
// end in a clear message, with the catalogue as it was before the gesture.

#include "DataTable.h"
#include "Files.h"
#include "Reliability.h"
#include "ShellPage.h"

#include "data/RuntimeError.h"
#include "engine/AddValues.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>

#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

#include <unistd.h>

using namespace Reliability;
using namespace TestKit;

namespace {

const QString LockerName = "faults-locker";
const QStringList AllProperties{"Distance", "Length", "Mass", "Temperature"};
const QStringList LengthUnits{"Kilometre", "Metre"};

int g_faultsInjected = 0;
QSet<QString> g_messagesSeen;

// What a gesture must come to under a fault.
enum class Expect {
    Works,   // no message, the usual result
    Refused, // a message, and the catalogue as before
    Partly,  // the write asked for is done, then a message from refilling the lists
    // Refused where a writer's lock keeps readers out (rollback journal); works
    // where readers go on beside a writer (write-ahead log).
    ReadUnderLock,
};

// The designed prompts some actions show on their way: they say nothing about a fault.
bool isPrompt(const MessageBox::Record& record)
{
    return record.style == MsgStyle::Information &&
           (record.text == QLatin1String("Select a Property from the list Below") ||
            record.text == QLatin1String("Select a Property from the list"));
}

constexpr bool Units = true;

// The program's windows one action needs, owned by the test.
struct Windows
{
    std::unique_ptr<ConverterPage> converter;
    std::unique_ptr<NewValuesPage> newValues;
    std::unique_ptr<OptionsPage> options;
    // Adds type names this long, so that they need new pages in the file.
    int nameLength = 6;

    void openConverter() { converter = std::make_unique<ConverterPage>(); }
    // New Values, in Unit mode for units; Options, listing units for units.
    void openNewValues(bool units = false)
    {
        newValues = std::make_unique<NewValuesPage>();
        newValues->open();
        if (units)
            newValues->press("rdBtn_2");
    }
    void openOptions(bool units = false)
    {
        options = std::make_unique<OptionsPage>();
        if (units)
            options->press("rbutUnit");
    }
    QString name(const QString& stem) const
    {
        return stem + QString(qMax(0, nameLength - stem.size()), QLatin1Char('x'));
    }
};

int countWithId(const QString& table, const QString& column)
{
    return scalar(QStringLiteral("select count(*) from %1 where %2 = ?").arg(table, column), {ClockId}).toInt();
}

// One user action: the steps up to its last gesture, the gesture, and how to
// tell that it had its usual effect.
struct Action
{
    const char* name;
    std::function<void(Windows&)> prepare;
    std::function<void(Windows&)> act;
    std::function<bool(Windows&)> worked;
    // Undoes the write the action asks for, so the rest can be compared.
    QStringList undo = {};
};

const QList<Action>& actions()
{
    static const QList<Action> all{
        {"open converter", [](Windows&) {}, [](Windows& w) { w.openConverter(); },
         [](Windows& w) { return entries(w.converter->combo()) == AllProperties; }},
        {"pick property", [](Windows& w) { w.openConverter(); },
         [](Windows& w) { chooseEntry(w.converter->combo(), "Length"); },
         [](Windows& w) {
             return entries(w.converter->from()) == LengthUnits && entries(w.converter->to()) == LengthUnits;
         }},
        {"convert",
         [](Windows& w) {
             w.openConverter();
             chooseEntry(w.converter->combo(), "Length");
             typeInto(w.converter->input(), "1");
             clickEntry(w.converter->from(), "Metre");
             w.converter->output()->setText("previous");
         },
         [](Windows& w) { clickEntry(w.converter->to(), "Kilometre"); },
         [](Windows& w) { return w.converter->output()->text() == QLatin1String("0.001"); }},
        {"unit mode", [](Windows& w) { w.openNewValues(); }, [](Windows& w) { w.newValues->press("rdBtn_2"); },
         [](Windows& w) { return entries(w.newValues->cbProperty()) == AllProperties; }},
        {"pick base property", [](Windows& w) { w.openNewValues(Units); },
         [](Windows& w) { chooseEntry(w.newValues->cbProperty(), "Length"); },
         [](Windows& w) { return entries(w.newValues->cbUnit()) == LengthUnits; }},
        {"add property",
         [](Windows& w) {
             w.openNewValues();
             typeInto(w.newValues->txtValue(), w.name("Volume"));
             typeInto(w.newValues->txtUnitValue(), w.name("Litre"));
         },
         [](Windows& w) { w.newValues->add(); },
         [](Windows&) {
             return countWithId("tbProperty", "PropID") == 1 && countWithId("tbUnits", "UID") == 1 &&
                    countWithId("tbUserProperty", "PropID") == 1 && countWithId("tbUserUnits", "UID") == 1;
         },
         {"delete from tbProperty where PropID = '15172419'", "delete from tbUnits where UID = '15172419'",
          "delete from tbUserProperty where PropID = '15172419'", "delete from tbUserUnits where UID = '15172419'"}},
        {"add unit",
         [](Windows& w) {
             w.openNewValues(Units);
             chooseEntry(w.newValues->cbProperty(), "Length");
             chooseEntry(w.newValues->cbUnit(), "Metre");
             typeInto(w.newValues->txtValue(), w.name("Furlong"));
             typeInto(w.newValues->txtUnitValue(), "201.168");
         },
         [](Windows& w) { w.newValues->add(); },
         [](Windows&) { return countWithId("tbUnits", "UID") == 1 && countWithId("tbUserUnits", "UID") == 1; },
         {"delete from tbUnits where UID = '15172419'", "delete from tbUserUnits where UID = '15172419'"}},
        {"options properties", [](Windows& w) { w.openOptions(); },
         [](Windows& w) { w.options->press("rbutProperty"); },
         [](Windows& w) { return entries(w.options->lst1()) == AllProperties; }},
        {"options units", [](Windows& w) { w.openOptions(Units); },
         [](Windows& w) { chooseEntry(w.options->cbProperty(), "Length"); },
         [](Windows& w) { return entries(w.options->lst1()) == LengthUnits; }},
        {"hide property",
         [](Windows& w) {
             w.openOptions();
             w.options->press("rbutProperty");
             clickEntry(w.options->lst1(), "Mass");
         },
         [](Windows& w) { w.options->press("cmdHideSel"); },
         [](Windows&) {
             return scalar("select propDF from tbProperty where PropID = '12'").toString() == QLatin1String("1");
         },
         {"update tbProperty set propDF = '0' where PropID = '12'"}},
        {"hide unit",
         [](Windows& w) {
             w.openOptions(Units);
             chooseEntry(w.options->cbProperty(), "Length");
             clickEntry(w.options->lst1(), "Kilometre");
         },
         [](Windows& w) { w.options->press("cmdHideSel"); },
         [](Windows&) { return scalar("select df from tbUnits where UID = '2'").toString() == QLatin1String("1"); },
         {"update tbUnits set df = '0' where UID = '2'"}},
        {"show all units",
         [](Windows& w) {
             execOnProgram("update tbUnits set df = '1' where UID = '2'");
             w.openOptions(Units);
             chooseEntry(w.options->cbProperty(), "Length");
         },
         [](Windows& w) { w.options->press("cmdShowAll"); },
         [](Windows&) { return scalar("select df from tbUnits where UID = '2'").toString() == QLatin1String("0"); },
         {"update tbUnits set df = '1' where UID = '2'"}},
    };
    return all;
}

// The entry of `all` named `name`; the run ends when there is none.
template <typename T> const T& byName(const QList<T>& all, const QString& name)
{
    for (const T& item : all) {
        if (name == QLatin1String(item.name))
            return item;
    }
    qFatal("no %s", qPrintable(name));
}

// The test's view of the faulty catalogue.
struct Scene
{
    TestDatabase& db;
    bool locked = false;
};

// Rebuilds a table without its constraints, as a catalogue made by another
// tool might be, so that rows with a NULL identifier can exist.
void dropConstraints(TestDatabase& db, const QString& table, const QString& columns)
{
    db.exec(QStringLiteral("alter table %1 rename to old").arg(table));
    db.exec(QStringLiteral("create table %1 (%2)").arg(table, columns));
    db.exec(QStringLiteral("insert into %1 select * from old").arg(table));
    db.exec("drop table old");
}

void makeReadOnly(Scene& s)
{
    QVERIFY(QFile::setPermissions(s.db.path(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    // The program as started on the write-protected file.
    modMain::dbConnection.Open();
    // The superuser writes to write-protected files anyway, so the connection
    // itself is made to refuse writes as the file system does for everyone else.
    if (geteuid() == 0)
        execOnProgram("PRAGMA query_only = ON");
}

void replaceFile(Scene& s)
{
    const QString other = s.db.dir() + "/other.mdb";
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "faults-other");
        db.setDatabaseName(other);
        QVERIFY(db.open());
        Schema::create(db);
        QSqlQuery(db).exec("insert into tbProperty values ('7', 'Replacement', '0')");
        db.close();
    }
    QSqlDatabase::removeDatabase("faults-other");
    // Renamed over the catalogue, as a restore or a synchronising tool does.
    QCOMPARE(std::rename(QFile::encodeName(other).constData(), QFile::encodeName(s.db.path()).constData()), 0);
}

void overwriteInPlace(Scene& s)
{
    QFile file(s.db.path());
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    QVERIFY(file.write(QByteArray("damaged! ").repeated(int(size / 9 + 1)).left(size)) == size);
}

void lockFile(Scene& s)
{
    QSqlDatabase locker = QSqlDatabase::addDatabase("QSQLITE", LockerName);
    locker.setDatabaseName(s.db.path());
    QVERIFY(locker.open());
    QVERIFY(QSqlQuery(locker).exec("BEGIN EXCLUSIVE"));
    s.locked = true;
}

void unlockFile(Scene& s)
{
    if (!s.locked)
        return;
    {
        QSqlDatabase locker = QSqlDatabase::database(LockerName, false);
        QSqlQuery(locker).exec("ROLLBACK");
        locker.close();
    }
    QSqlDatabase::removeDatabase(LockerName);
    s.locked = false;
}

void fillDisk(Scene&)
{
    const QVariant pages = scalar("PRAGMA page_count");
    execOnProgram(QStringLiteral("PRAGMA max_page_count = %1").arg(pages.toLongLong()));
}

struct Fault
{
    const char* name;
    std::function<void(Scene&)> inject;
    QMap<QString, Expect> expected;
    bool longNames = false;
};

QMap<QString, Expect> every(Expect fallback, const QMap<QString, Expect>& exceptions)
{
    QMap<QString, Expect> all;
    for (const Action& a : actions())
        all.insert(QLatin1String(a.name), exceptions.value(QLatin1String(a.name), fallback));
    return all;
}

QMap<QString, Expect> without(QMap<QString, Expect> expected, const char* action)
{
    expected.remove(QLatin1String(action));
    return expected;
}

const QList<Fault>& faults()
{
    const Expect W = Expect::Works;
    const Expect R = Expect::Refused;
    const Expect P = Expect::Partly;
    const QMap<QString, Expect> writesRefused{
        {"add property", R}, {"add unit", R}, {"hide property", R}, {"hide unit", R}, {"show all units", R}};
    const QMap<QString, Expect> badPropertyRow{
        {"open converter", R}, {"unit mode", R}, {"options properties", R}, {"hide property", P}};
    const QMap<QString, Expect> badUnitRow{
        {"pick property", R}, {"pick base property", R}, {"options units", R}, {"hide unit", P}, {"show all units", P}};
    const QMap<QString, Expect> noPropertyTable{
        {"open converter", R}, {"unit mode", R}, {"add property", R}, {"options properties", R}, {"hide property", R}};
    const Expect L = Expect::ReadUnderLock;
    const QMap<QString, Expect> underLock{{"convert", L},  {"pick property", L}, {"add property", R},
                                          {"add unit", R}, {"hide unit", R},     {"show all units", R}};
    const QMap<QString, Expect> diskFull{{"convert", W},       {"pick property", W}, {"add property", R},
                                         {"add unit", R},      {"hide property", W}, {"hide unit", W},
                                         {"show all units", W}};
    static const QList<Fault> all{
        {"read-only file", makeReadOnly, every(W, writesRefused)},
        {"file deleted", [](Scene& s) { QVERIFY(QFile::remove(s.db.path())); }, every(R, {})},
        {"file replaced", replaceFile, every(R, {})},
        // Left out: "show all units", whose preparation writes a flag. With a
        // write-ahead log the pages it then needs may all come from the log or
        // the cache rather than the damaged file, and the move goes through.
        {"file overwritten", overwriteInPlace, without(every(R, {}), "show all units")},
        {"tbUnits missing", [](Scene& s) { s.db.exec("drop table tbUnits"); },
         every(R, {{"open converter", W}, {"unit mode", W}, {"options properties", W}, {"hide property", W}})},
        {"tbProperty missing", [](Scene& s) { s.db.exec("drop table tbProperty"); }, every(W, noPropertyTable)},
        {"tbUserUnits missing", [](Scene& s) { s.db.exec("drop table tbUserUnits"); },
         every(W, {{"add property", R}, {"add unit", R}})},
        {"property with NULL name", [](Scene& s) { s.db.exec("insert into tbProperty values ('20', NULL, '0')"); },
         every(W, badPropertyRow)},
        {"property with NULL ID",
         [](Scene& s) {
             dropConstraints(s.db, "tbProperty", "PropID, propname, propDF");
             s.db.exec("insert into tbProperty values (NULL, 'Broken', '0')");
         },
         every(W, badPropertyRow)},
        {"property ID beyond 32 bits",
         [](Scene& s) { s.db.exec("insert into tbProperty values ('99999999999', 'Huge', '0')"); },
         every(W, badPropertyRow)},
        {"unit with NULL name",
         [](Scene& s) { s.db.exec("insert into tbUnits values ('30', NULL, 1.0, '1015', '0')"); },
         every(W, badUnitRow)},
        {"unit with NULL ID",
         [](Scene& s) {
             dropConstraints(s.db, "tbUnits", "UID, uname, factor, PropID, df");
             s.db.exec("insert into tbUnits values (NULL, 'Broken', 1.0, '1015', '0')");
         },
         every(W, badUnitRow)},
        {"unit ID beyond 32 bits",
         [](Scene& s) { s.db.exec("insert into tbUnits values ('99999999999', 'Huge', 1.0, '1015', '0')"); },
         every(W, badUnitRow)},
        {"NULL factor", [](Scene& s) { s.db.exec("update tbUnits set factor = NULL where UID = '1'"); },
         every(W, {{"convert", R}, {"add unit", R}})},
        {"factor not a number", [](Scene& s) { s.db.exec("update tbUnits set factor = 'abc' where UID = '1'"); },
         every(W, {{"convert", R}, {"add unit", R}})},
        {"locked by another connection", lockFile, underLock},
        {"disk full", fillDisk, diskFull, true},
    };
    return all;
}

QByteArray fileDigest(const QString& path)
{
    const std::optional<QByteArray> bytes = readFile(path);
    if (!bytes)
        return QByteArrayLiteral("<no file>");
    return QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256).toHex();
}

// The catalogue as the program sees it, and the bytes of the file on disk.
// While another connection holds the file locked, only that one can read it.
QStringList state(const Scene& s)
{
    const QSqlDatabase reader = s.locked ? QSqlDatabase::database(LockerName, false) : modMain::dbConnection.database();
    return snapshot(reader) << QString::fromLatin1(fileDigest(s.db.path()));
}

QString summary(const QList<MessageBox::Record>& records)
{
    QStringList texts;
    for (const MessageBox::Record& r : records)
        texts << QStringLiteral("[%1] %2").arg(r.style).arg(r.text.left(160));
    return texts.join(" / ");
}

// Notes the first lines of the messages shown, with the temporary folder left out.
void noteMessages(const QList<MessageBox::Record>& records)
{
    static const QRegularExpression folder(R"(["'][^"']*/Tessaly.mdb["'])");
    for (const MessageBox::Record& r : records) {
        QString text =
            r.text.section(QLatin1Char('\n'), 0, 0) + QLatin1Char(' ') + r.text.section(QLatin1Char('\n'), 2, 2);
        g_messagesSeen.insert(text.replace(folder, "'Tessaly.mdb'").left(200));
    }
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        preferMemoryTempDir();
        MessageBox::setIntercepting(true);
        QLocale::setDefault(QLocale::c());
    }
    void init()
    {
        MessageBox::takeRecords();
        setClockSource([] { return Clock; });
    }
    void cleanup() { setClockSource({}); }
    void cleanupTestCase()
    {
        qInfo("faults injected: %d", g_faultsInjected);
        QStringList seen(g_messagesSeen.begin(), g_messagesSeen.end());
        seen.sort();
        for (const QString& text : seen)
            qInfo("message shown: %s", qPrintable(text));
    }

    void faultDuringAction_data()
    {
        QTest::addColumn<QString>("faultName");
        QTest::addColumn<QString>("actionName");
        QTest::addColumn<int>("expect");
        for (const Fault& f : faults()) {
            for (auto it = f.expected.begin(); it != f.expected.end(); ++it)
                QTest::addRow("%s: %s", f.name, qPrintable(it.key()))
                    << QString::fromLatin1(f.name) << it.key() << int(it.value());
        }
    }

    void faultDuringAction()
    {
        QFETCH(QString, faultName);
        QFETCH(QString, actionName);
        QFETCH(int, expect);
        const Fault& f = byName(faults(), faultName);
        const Action& a = byName(actions(), actionName);

        TestDatabase db;
        seed(db, true);
        Windows windows;
        windows.nameLength = f.longNames ? 6000 : 6;
        Scene scene{db};
        const auto release = qScopeGuard([&] {
            unlockFile(scene);
            QFile::setPermissions(db.path(), QFile::ReadOwner | QFile::WriteOwner);
        });

        a.prepare(windows);
        MessageBox::takeRecords();
        const QString journalMode = scalar("PRAGMA journal_mode").toString();
        f.inject(scene);
        ++g_faultsInjected;
        const QStringList before = state(scene);

        a.act(windows);
        QList<MessageBox::Record> records = MessageBox::takeRecords();
        records.removeIf(isPrompt);
        noteMessages(records);
        for (const MessageBox::Record& r : records)
            QVERIFY2(!r.text.trimmed().isEmpty() && !r.title.isEmpty(), qPrintable(summary(records)));

        Expect expected = Expect(expect);
        if (expected == Expect::ReadUnderLock)
            expected =
                journalMode.compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0 ? Expect::Works : Expect::Refused;
        switch (expected) {
        case Expect::Works:
            QVERIFY2(records.isEmpty(), qPrintable(summary(records)));
            QVERIFY(a.worked(windows));
            break;
        case Expect::Refused:
            QVERIFY2(!records.isEmpty(), "no message");
            // A conversion that fails leaves no earlier result beside the units chosen.
            if (actionName == QLatin1String("convert"))
                QCOMPARE(windows.converter->output()->text(), QString());
            QCOMPARE(state(scene), before);
            return;
        case Expect::Partly:
            QVERIFY2(!records.isEmpty(), "no message");
            QVERIFY(a.worked(windows));
            break;
        case Expect::ReadUnderLock:
            break;
        }
        for (const QString& sql : a.undo)
            execOnProgram(sql);
        if (!a.undo.isEmpty())
            QCOMPARE(state(scene).mid(0, before.size() - 1), before.mid(0, before.size() - 1));
        else
            QCOMPARE(state(scene), before);
    }

    // Locked out, "&Add" is refused and the typed values stay; once the other
    // connection lets go, the same press stores them.
    void lockReleasedThenAddWorks()
    {
        TestDatabase db;
        seed(db, true);
        Windows windows;
        Scene scene{db};
        const Action& add = byName(actions(), "add property");
        add.prepare(windows);
        lockFile(scene);
        ++g_faultsInjected;
        const QStringList before = state(scene);
        add.act(windows);
        const QList<MessageBox::Record> records = MessageBox::takeRecords();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().style, MsgStyle::Critical);
        QCOMPARE(state(scene), before);
        QCOMPARE(windows.newValues->txtValue()->text(), windows.name("Volume"));

        unlockFile(scene);
        add.act(windows);
        QCOMPARE(MessageBox::takeRecords().size(), 0);
        QVERIFY(add.worked(windows));
    }

    void closedResultSetTellsWhy_data()
    {
        const TestKit::DataTable<QString, QString> row("faultName", "reason");
        row("file deleted", "file deleted", "has been deleted or replaced since Quantaro opened it");
        row("file replaced", "file replaced", "has been deleted or replaced since Quantaro opened it");
        row("table missing", "tbUnits missing", "tbUnits");
    }

    // A query that could not open leaves the shared result set closed without a
    // word; the caller's first access then says what the query met, and a set
    // closed on purpose says nothing more.
    void closedResultSetTellsWhy()
    {
        QFETCH(QString, faultName);
        QFETCH(QString, reason);
        TestDatabase db;
        seed(db, true);
        const auto closedError = [] {
            try {
                modMain::dbRecordset.Eof();
            } catch (const RuntimeError& error) {
                return error;
            }
            return RuntimeError(0, "a closed result set answered");
        };
        modMain::OpenRecordset("select * from tbUnits");
        modMain::dbRecordset.Close();
        QCOMPARE(closedError().description(), "Operation is not allowed when the object is closed.");

        Scene scene{db};
        byName(faults(), faultName).inject(scene);
        ++g_faultsInjected;
        modMain::OpenRecordset("select * from tbUnits where PropID = ?", {"1015"});
        QVERIFY(!modMain::dbRecordset.isOpen());
        const RuntimeError error = closedError();
        QCOMPARE(error.number(), ErrorNumber::ObjectClosed);
        QVERIFY2(error.description().contains(reason), qPrintable(error.description()));
    }

    void damagedAtStart_data()
    {
        QTest::addColumn<QString>("damage");
        for (const char* damage : {"empty file", "header only", "first page only", "half the file", "pages overwritten",
                                   "bytes flipped", "wrong magic"})
            QTest::addRow("%s", damage) << QString::fromLatin1(damage);
    }

    // A damaged catalogue at start-up: opening either fails with a run-time
    // error (which start-up reports before any window shows), or the windows
    // meet the damage and report it. Nothing the windows do writes to the file.
    void damagedAtStart()
    {
        QFETCH(QString, damage);
        QByteArray bytes;
        {
            TestDatabase source;
            source.addProperty("1015", "Length");
            for (int i = 0; i < 60; ++i)
                source.addProperty(QString::number(2000 + i), QStringLiteral("Property %1").arg(i));
            for (int i = 0; i < 600; ++i)
                source.addUnit(QString::number(10 + i), QStringLiteral("Unit number %1").arg(i), 1.0 + i,
                               QString::number(1015 + (i % 2) * 1000));
            const std::optional<QByteArray> written = readFile(source.path());
            QVERIFY(written);
            bytes = *written;
        }
        const int page = 4096;
        QVERIFY(bytes.size() > 8 * page);
        if (damage == QLatin1String("empty file"))
            bytes.clear();
        else if (damage == QLatin1String("header only"))
            bytes.truncate(100);
        else if (damage == QLatin1String("first page only"))
            bytes.truncate(page);
        else if (damage == QLatin1String("half the file"))
            bytes.truncate(bytes.size() / 2);
        else if (damage == QLatin1String("pages overwritten"))
            bytes.replace(page, bytes.size() - page, QByteArray(bytes.size() - page, '\xA5'));
        else if (damage == QLatin1String("bytes flipped"))
            for (int i = page + 17; i < bytes.size(); i += 97)
                bytes[i] = char(~bytes[i]);
        else
            bytes.replace(0, 16, QByteArrayLiteral("Not SQLite here!"));

        QTemporaryDir dir;
        const QString path = dir.filePath("Tessaly.mdb");
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), qint64(bytes.size()));
        }
        ++g_faultsInjected;
        const auto closeAfter = qScopeGuard([] {
            if (modMain::dbRecordset.isOpen())
                modMain::dbRecordset.Close();
            modMain::dbConnection.Close();
        });

        modMain::dbConnection.ConnectionString = path;
        try {
            modMain::dbConnection.Open();
        } catch (const RuntimeError& error) {
            QVERIFY(!modMain::dbConnection.isOpen());
            QVERIFY(!error.description().trimmed().isEmpty());
            g_messagesSeen.insert("start-up: " + error.description().left(90));
            QCOMPARE(QFile(path).size(), qint64(bytes.size()));
            return;
        }

        // It opened: the whole program runs on it, every window through every list,
        // and reading leaves the file as opening left it.
        const std::optional<QByteArray> opened = readFile(path);
        QVERIFY(opened);
        {
            const ShellPage shell;
            const ConverterPage converter = shell.converter();
            QVERIFY(converter.form);
            for (const QString& property : entries(converter.combo())) {
                chooseEntry(converter.combo(), property);
                if (converter.from()->count() > 0) {
                    typeInto(converter.input(), "1");
                    clickEntry(converter.from(), converter.from()->text(0));
                    clickEntry(converter.to(), converter.to()->text(converter.to()->count() - 1));
                }
            }
            Windows windows;
            windows.openNewValues();
            windows.newValues->press("rdBtn_2");
            chooseEntry(windows.newValues->cbProperty(), "Length");
            windows.openOptions();
            windows.options->press("rbutProperty");
            windows.options->press("rbutUnit");
            chooseEntry(windows.options->cbProperty(), "Length");
        }
        const QList<MessageBox::Record> records = MessageBox::takeRecords();
        noteMessages(records);
        for (const MessageBox::Record& r : records)
            QVERIFY(!r.text.trimmed().isEmpty());
        modMain::dbConnection.Close();
        const std::optional<QByteArray> after = readFile(path);
        QVERIFY(after);
        QCOMPARE(*after, *opened);
    }
};

QTEST_MAIN(TestFaults)
#include "tst_faults.moc"
