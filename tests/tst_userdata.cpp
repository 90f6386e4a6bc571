// The user's catalogue is never lost: rebuilds, updates of the shipped
// catalogue, copies taken as backups, and installs the user cannot write to.
// Every test runs the real program (or the program with a scripted user) as a
// process in a folder of its own, set up by the build's own catalogue steps.

#include "BuildFolder.h"
#include "DataTable.h"
#include "FileConnection.h"
#include "Files.h"
#include "TestDatabase.h"

#include "data/CatalogueUpdate.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

#include <cstdio>

namespace {

const QString Live = QStringLiteral("Tessaly.mdb");
const QString Seed = QStringLiteral("Tessaly.seed.mdb");

// All rows of a query on the file at `path`, as text, run on a connection of
// its own; ends the run when the query fails.
QList<QStringList> rowsOf(const QString& path, const QString& sql, const QVariantList& params = {})
{
    return TestKit::FileConnection(path).rowsOrFail(sql, params);
}

// The first field of the first row of a query on the file at `path`.
QString valueOf(const QString& path, const QString& sql, const QVariantList& params = {})
{
    return rowsOf(path, sql, params).value(0).value(0);
}

void execOn(const QString& path, const QString& sql, const QVariantList& params = {})
{
    rowsOf(path, sql, params);
}

QByteArray digest(const QString& path)
{
    const std::optional<QByteArray> bytes = TestKit::readFile(path);
    return bytes ? QCryptographicHash::hash(*bytes, QCryptographicHash::Sha256) : QByteArray();
}

// The rows a user's property leaves: the property and its base unit, each in
// the catalogue and in the user record.
int userPropertyRows(const QString& path, const QString& name)
{
    return valueOf(path,
                   QStringLiteral("select (select count(*) from tbProperty where propname = ?)"
                                  " + (select count(*) from tbUserProperty where propname = ?)"
                                  " + (select count(*) from tbUnits where uname = ?)"
                                  " + (select count(*) from tbUserUnits where uname = ?)"),
                   {name, name, name + QStringLiteral(" unit"), name + QStringLiteral(" unit")})
        .toInt();
}

// What another program does to the catalogue while Quantaro runs.
enum class Tamper { TruncateInPlace, OverwriteInPlace, DeleteLog, DeleteIndex, ReplaceByRename };

// A catalogue as another program would put in place of `live`: a copy of it
// with one unit renamed, so of the same size but another content.
QString otherCatalogue(const QString& live, const QString& folder)
{
    const QString other = QDir(folder).filePath(QStringLiteral("other.mdb"));
    QFile::remove(other);
    if (!QFile::copy(live, other))
        qFatal("cannot copy %s", qPrintable(live));
    execOn(other, QStringLiteral("update tbUnits set uname = uname || '!' where rowid = 1"));
    return other;
}

void tamper(Tamper how, const QString& live, const QString& other)
{
    const QByteArray path = QFile::encodeName(live);
    switch (how) {
    case Tamper::TruncateInPlace:
        QCOMPARE(::truncate(path.constData(), 0), 0);
        return;
    case Tamper::OverwriteInPlace: {
        const std::optional<QByteArray> bytes = TestKit::readFile(other);
        QVERIFY(bytes);
        QCOMPARE(qint64(bytes->size()), QFileInfo(live).size());
        // Written over the same file, as a restore tool that keeps the inode does.
        QFile target(live);
        QVERIFY(target.open(QIODevice::ReadWrite));
        QCOMPARE(target.write(*bytes), qint64(bytes->size()));
        return;
    }
    case Tamper::DeleteLog:
        QVERIFY(QFile::remove(live + QStringLiteral("-wal")));
        return;
    case Tamper::DeleteIndex:
        QVERIFY(QFile::remove(live + QStringLiteral("-shm")));
        return;
    case Tamper::ReplaceByRename: {
        const QString renamed = live + QStringLiteral(".new");
        QVERIFY(QFile::copy(other, renamed));
        QCOMPARE(std::rename(QFile::encodeName(renamed).constData(), path.constData()), 0);
        return;
    }
    }
}

// A catalogue made by the build's steps from the sources in `catalogueDir`
// into `folder`: the shipped one, and the user's file from it when missing.
void buildCatalogue(const QString& folder, const QString& catalogueDir)
{
    QProcess tool;
    tool.start(QStringLiteral(MKCATALOGUE), {catalogueDir, QDir(folder).filePath(Seed)});
    QVERIFY(tool.waitForFinished(60000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
    tool.start(QStringLiteral(CMAKE_COMMAND), {QStringLiteral("-DSEED=") + QDir(folder).filePath(Seed),
                                               QStringLiteral("-DLIVE=") + QDir(folder).filePath(Live),
                                               QStringLiteral("-P"), QStringLiteral(CREATE_LIVE_SCRIPT)});
    QVERIFY(tool.waitForFinished(60000));
    QVERIFY2(tool.exitCode() == 0, tool.readAllStandardError().constData());
}

void installPrograms(const QString& folder)
{
    for (const QString& name :
         {QStringLiteral("quantaro"), QStringLiteral("quantaro-helpreader"), QStringLiteral("scripted_user")}) {
        const QString target = QDir(folder).filePath(name);
        QVERIFY(QFile::copy(TestKit::builtFile(name), target));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                          QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    }
}

// A folder of its own with the program, its help reader and the scripted user
// beside the catalogues the build's steps make from `sources` (none when empty).
struct Install : QTemporaryDir
{
    explicit Install(const QString& sources = QStringLiteral(CATALOGUE_DIR))
    {
        installPrograms(path());
        if (!sources.isEmpty())
            buildCatalogue(path(), sources);
    }
};

} // namespace

Q_DECLARE_METATYPE(Tamper)

class TestUserData : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_home; // the per-user data folder of every program started here

    void start(QProcess& process, const QString& folder, const QString& program, const QStringList& args = {},
               const QStringList& asUser = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), m_home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), perUserDataHome());
        process.setProcessEnvironment(env);
        const QString path = QDir(folder).filePath(program);
        if (asUser.isEmpty())
            process.start(path, args);
        else
            process.start(asUser.first(), asUser.mid(1) + QStringList{QStringLiteral("--"), path} + args);
        QVERIFY(process.waitForStarted(10000));
    }

    QString perUserDataHome() const { return m_home.filePath(QStringLiteral("data")); }
    QString perUserCatalogue() const { return perUserDataHome() + QStringLiteral("/quantaro/") + Live; }

    // Reads the scripted user's lines up to the one starting with `prefix`;
    // fails on a fault, and on a message box unless boxes are expected.
    static QString waitForLine(QProcess& process, const QString& prefix)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 30000) {
            if (!process.canReadLine() && !process.waitForReadyRead(500)) {
                if (process.state() != QProcess::Running)
                    break;
                continue;
            }
            while (process.canReadLine()) {
                const QString line = QString::fromUtf8(process.readLine()).trimmed();
                if (line.startsWith(QLatin1String("fault")) || line.startsWith(QLatin1String("box")) ||
                    line.startsWith(prefix))
                    return line;
            }
        }
        return QStringLiteral("nothing: ") + QString::fromLocal8Bit(process.readAllStandardError());
    }

    static void stop(QProcess& process)
    {
        process.terminate();
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished(10000);
        }
    }

    // Starts the program and waits until it has brought its catalogue up to
    // the version of the shipped one beside it.
    void startUntilUpToDate(const QString& folder, const QString& live)
    {
        QProcess program;
        start(program, folder, QStringLiteral("quantaro"));
        const int wanted = CatalogueUpdate::fileVersion(QDir(folder).filePath(Seed));
        QTRY_COMPARE_WITH_TIMEOUT(CatalogueUpdate::fileVersion(live), wanted, 20000);
        QCOMPARE(program.state(), QProcess::Running);
        stop(program);
        QVERIFY2(program.readAllStandardError().indexOf("could not bring") < 0, "the update failed");
    }

    // Runs the scripted user; with `helpBeside`, the help file beside the program must open too.
    void addAsUser(const QString& folder, const QString& name, const QStringList& asUser = {}, bool helpBeside = false)
    {
        QProcess user;
        start(user, folder, QStringLiteral("scripted_user"), {name}, asUser);
        QCOMPARE(waitForLine(user, QStringLiteral("converted")), QStringLiteral("converted 3.6576"));
        QCOMPARE(waitForLine(user, QStringLiteral("added")), QStringLiteral("added"));
        if (helpBeside)
            QCOMPARE(waitForLine(user, QStringLiteral("help")), QStringLiteral("help Contents"));
        stop(user);
    }

    // The program with the scripted user taking commands, ready for the first.
    void startCommands(QProcess& user, const QString& folder)
    {
        start(user, folder, QStringLiteral("scripted_user"), {QStringLiteral("--commands")});
        QCOMPARE(waitForLine(user, QStringLiteral("ready")), QStringLiteral("ready"));
    }

    // Adds the property `name` through the program; returns the texts of the
    // boxes the press showed, or "no answer" when it did not finish.
    static QStringList addThrough(QProcess& user, const QString& name)
    {
        user.write((QStringLiteral("add ") + name + QLatin1Char('\n')).toUtf8());
        QStringList boxes;
        for (;;) {
            const QString line = waitForLine(user, QStringLiteral("added"));
            if (line == QLatin1String("added"))
                return boxes;
            if (!line.startsWith(QLatin1String("box ")))
                return {QStringLiteral("no answer: ") + line};
            boxes << line.mid(4);
        }
    }

    // Ends the program through "E&xit"; it must end on its own, and cleanly.
    static void exitThrough(QProcess& user)
    {
        user.write("exit\n");
        QVERIFY(user.waitForFinished(20000));
        QCOMPARE(user.exitStatus(), QProcess::NormalExit);
        QCOMPARE(user.exitCode(), 0);
    }

    static void copyTree(const QString& from, const QString& to)
    {
        QVERIFY(QDir().mkpath(to));
        const QDir source(from);
        for (const QFileInfo& entry : source.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            if (entry.isDir())
                copyTree(entry.filePath(), QDir(to).filePath(entry.fileName()));
            else
                QVERIFY(QFile::copy(entry.filePath(), QDir(to).filePath(entry.fileName())));
        }
    }

    // Replaces field `field` of the unit line whose name (field 1, after the UID) is
    // `name`; appends `extra` to the file.
    static void editUnitSource(const QString& path, const QString& name, int field, const QString& value,
                               const QString& extra = {})
    {
        const std::optional<QByteArray> text = TestKit::readFile(path);
        QVERIFY(text);
        QStringList lines = QString::fromUtf8(*text).split(QLatin1Char('\n'));
        bool found = false;
        for (QString& line : lines) {
            QStringList fields = line.split(QLatin1Char('|'));
            if (fields.size() > field && fields.size() > 1 && fields.at(1).trimmed() == name) {
                fields[field] = QLatin1Char(' ') + value + QLatin1Char(' ');
                line = fields.join(QLatin1Char('|'));
                found = true;
            }
        }
        QVERIFY2(found, qPrintable(name));
        if (!extra.isEmpty())
            lines << extra;
        QVERIFY(TestKit::writeFile(path, lines.join(QLatin1Char('\n')).toUtf8()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        // Another user of the machine may have to reach these folders.
        QFile::setPermissions(m_home.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                                 QFile::ExeOther);
    }

    // (a) A rebuild of the catalogue leaves the user's file alone, and the
    // program's update at the next start keeps the addition.
    void additionSurvivesARebuild()
    {
        const Install dir;
        const QString live = dir.filePath(Live);
        addAsUser(dir.path(), QStringLiteral("Rebuilt property"));
        QCOMPARE(userPropertyRows(live, QStringLiteral("Rebuilt property")), 4);

        const int before = CatalogueUpdate::fileVersion(dir.filePath(Seed));
        buildCatalogue(dir.path(), QStringLiteral(CATALOGUE_DIR));
        QVERIFY(CatalogueUpdate::fileVersion(dir.filePath(Seed)) > before);
        QCOMPARE(userPropertyRows(live, QStringLiteral("Rebuilt property")), 4);

        startUntilUpToDate(dir.path(), live);
        QCOMPARE(userPropertyRows(live, QStringLiteral("Rebuilt property")), 4);
        QCOMPARE(rowsOf(live, QStringLiteral("pragma integrity_check")), QList<QStringList>({{"ok"}}));
    }

    // (b) A new version of the shipped sources: a new unit, a corrected factor
    // and a renamed unit arrive; the user's rows and flags stay exactly; a new
    // shipped unit whose identifier the user holds is added beside it.
    void updateKeepsTheUsersWork()
    {
        const Install dir{QString()};
        const QString sources = dir.filePath(QStringLiteral("catalogue"));
        copyTree(QStringLiteral(CATALOGUE_DIR), sources);
        buildCatalogue(dir.path(), sources);
        const QString live = dir.filePath(Live);
        addAsUser(dir.path(), QStringLiteral("My property"));

        const QString uidOf = QStringLiteral("select UID from tbUnits where uname = ?");
        const QString renamed = valueOf(live, uidOf, {QStringLiteral("Megabyte (10^6 bytes) per minute")});
        const QString corrected = valueOf(live, uidOf, {QStringLiteral("Gigabyte (10^9 bytes) per hour")});
        QVERIFY(!renamed.isEmpty() && !corrected.isEmpty());
        const QString factorOf = QStringLiteral("select factor from tbUnits where UID = ?");
        const QString oldFactor = valueOf(live, factorOf, {corrected});
        const QString lastShipped = QStringLiteral(
            "select max(cast(UID as integer)) from tbUnits where UID not in (select UID from tbUserUnits)");
        const QString clash = QString::number(valueOf(live, lastShipped).toInt() + 1);
        execOn(live, QStringLiteral("update tbUnits set df = '1' where UID in (?, ?)"), {renamed, corrected});
        execOn(live, QStringLiteral("update tbProperty set propDF = '1' where PropID = '1012'"));
        for (const char* table : {"tbUnits", "tbUserUnits"})
            execOn(live, QStringLiteral("insert into %1 values (?, 'Clashing unit', 2.5, '1015', '0')").arg(table),
                   {clash});
        const QString userTables =
            QStringLiteral("select 'P', PropID, propname, '', '', propDF from tbUserProperty union all "
                           "select 'U', UID, uname, factor, PropID, df from tbUserUnits order by 1, 2");
        const QString flags = QStringLiteral("select 'P', PropID, propDF from tbProperty union all "
                                             "select 'U', UID, df from tbUnits order by 1, 2");
        const QList<QStringList> userRows = rowsOf(live, userTables);
        const QList<QStringList> userFlags = rowsOf(live, flags);
        QCOMPARE(userRows.size(), 3);

        const QString dataFile = sources + QStringLiteral("/units/70-data.txt");
        editUnitSource(dataFile, QStringLiteral("Megabyte (10^6 bytes) per minute"), 1,
                       QStringLiteral("Megabyte per minute"));
        editUnitSource(dataFile, QStringLiteral("Gigabyte (10^9 bytes) per hour"), 2, QStringLiteral("8e9 / 1800"),
                       clash + QStringLiteral(" | Bit per fortnight | 1 / 1209600 | - | 14 days of 86400 s"));
        buildCatalogue(dir.path(), sources);
        const QString seed = dir.filePath(Seed);
        QCOMPARE(rowsOf(seed, QStringLiteral("select uname from tbUnits where UID = ?"), {clash}),
                 QList<QStringList>({{"Bit per fortnight"}}));

        startUntilUpToDate(dir.path(), live);

        QCOMPARE(rowsOf(live, userTables), userRows);
        const QList<QStringList> flagsAfter = rowsOf(live, flags);
        for (const QStringList& flag : userFlags)
            QVERIFY2(flagsAfter.contains(flag), qPrintable(flag.join(QLatin1Char(' '))));
        QCOMPARE(rowsOf(live, QStringLiteral("select uname, factor, PropID, df from tbUnits where UID = ?"), {clash}),
                 QList<QStringList>({{"Clashing unit", "2.5", "1015", "0"}}));
        const QList<QStringList> added =
            rowsOf(live, QStringLiteral("select UID, factor, df from tbUnits where uname = 'Bit per fortnight'"));
        QCOMPARE(added.size(), 1);
        QVERIFY(added.first().first() != clash);
        QCOMPARE(added.first().at(1).toDouble(), 1209600.0);
        QCOMPARE(added.first().at(2), QStringLiteral("0"));
        QCOMPARE(rowsOf(live, QStringLiteral("select uname, df from tbUnits where UID = ?"), {renamed}),
                 QList<QStringList>({{"Megabyte per minute", "1"}}));
        const QString newFactor = valueOf(live, factorOf, {corrected});
        QVERIFY(newFactor != oldFactor);
        QCOMPARE(newFactor.toDouble(), 1800 / 8e9);

        // Every other shipped row is as shipped, but for the user's flags.
        const QString shippedUnits = QStringLiteral(
            "select UID, uname, factor, PropID from tbUnits where UID <> ? "
            "and uname <> 'Bit per fortnight' and UID not in (select UID from tbUserUnits) order by UID");
        QCOMPARE(rowsOf(live, shippedUnits, {clash}), rowsOf(seed, shippedUnits, {clash}));
        const QString shippedProperties = QStringLiteral(
            "select PropID, propname from tbProperty where PropID not in (select PropID from tbUserProperty) "
            "order by PropID");
        QCOMPARE(rowsOf(live, shippedProperties), rowsOf(seed, shippedProperties));
        QCOMPARE(userPropertyRows(live, QStringLiteral("My property")), 4);
    }

    void copyOfTheFileIsAFullBackup_data()
    {
        const TestKit::DataTable<bool> row("killed");
        row("while the program runs", false);
        row("after SIGKILL", true);
    }

    // (c) The file alone, copied right after an add, holds the addition.
    void copyOfTheFileIsAFullBackup()
    {
        QFETCH(bool, killed);
        const Install dir;
        QProcess user;
        start(user, dir.path(), QStringLiteral("scripted_user"), {QStringLiteral("Backed up")});
        QCOMPARE(waitForLine(user, QStringLiteral("added")), QStringLiteral("added"));
        if (killed) {
            user.kill();
            QVERIFY(user.waitForFinished(10000));
        }
        QTemporaryDir backup;
        const QString copy = backup.filePath(Live);
        QVERIFY(QFile::copy(dir.filePath(Live), copy));
        stop(user);
        QCOMPARE(rowsOf(copy, QStringLiteral("pragma integrity_check")), QList<QStringList>({{"ok"}}));
        QCOMPARE(userPropertyRows(copy, QStringLiteral("Backed up")), 4);
    }

    // (d) A folder and file the user cannot write: the program starts and
    // converts, the addition lands in the per-user copy, the next start uses it.
    void readOnlyInstallWritesToThePerUserCopy()
    {
        const Install dir;
        const QString live = dir.filePath(Live);
        QVERIFY(QFile::remove(dir.filePath(Seed)));
        QVERIFY(
            QFile::copy(TestKit::builtFile(QStringLiteral("TSHelp.chm")), dir.filePath(QStringLiteral("TSHelp.chm"))));
        const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const QFile::Permissions folder = readable | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(live, readable));
        QVERIFY(QFile::setPermissions(dir.path(), folder));
        const auto restore = qScopeGuard([&] { QFile::setPermissions(dir.path(), folder | QFile::WriteOwner); });
        const QByteArray shipped = digest(live);

        // Root writes anywhere: the program then runs as another user, in a
        // home of that user's own, the install still owned by root.
        QStringList asUser;
        if (::geteuid() == 0) {
            const passwd* nobody = ::getpwnam("nobody");
            if (!nobody)
                QSKIP("running as root, and there is no user 'nobody' to run the program as");
            QVERIFY(QDir().mkpath(perUserDataHome()));
            for (const QString& path : {m_home.path(), perUserDataHome()})
                QCOMPARE(::chown(QFile::encodeName(path).constData(), nobody->pw_uid, nobody->pw_gid), 0);
            asUser = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody")};
        }
        addAsUser(dir.path(), QStringLiteral("Per-user property"), asUser, true);
        QCOMPARE(digest(live), shipped);
        QVERIFY(QFile::exists(perUserCatalogue()));
        QCOMPARE(userPropertyRows(perUserCatalogue(), QStringLiteral("Per-user property")), 4);

        addAsUser(dir.path(), QStringLiteral("Second property"), asUser);
        QCOMPARE(digest(live), shipped);
        QCOMPARE(userPropertyRows(perUserCatalogue(), QStringLiteral("Per-user property")), 4);
        QCOMPARE(userPropertyRows(perUserCatalogue(), QStringLiteral("Second property")), 4);
    }

    // A copy in a folder the user can write keeps working on the file beside it.
    void portableCopyUsesTheFileBesideIt()
    {
        const Install dir;
        QFile::remove(perUserCatalogue());
        addAsUser(dir.path(), QStringLiteral("Portable property"));
        QCOMPARE(userPropertyRows(dir.filePath(Live), QStringLiteral("Portable property")), 4);
        QVERIFY(!QFile::exists(perUserCatalogue()));
    }

    void changedUnderTheProgramIsRefused_data()
    {
        const TestKit::DataTable<Tamper, QString, bool, bool> row("how", "told", "stillACatalogue", "otherWrites");
        const QString changed = QStringLiteral("changed by another program");
        const QString logGone = QStringLiteral("Tessaly.mdb-wal\", which Quantaro keeps");
        const QString indexGone = QStringLiteral("Tessaly.mdb-shm\", which Quantaro keeps");
        const QString replaced = QStringLiteral("deleted or replaced");
        row("file truncated in place", Tamper::TruncateInPlace, changed, false, false);
        row("file overwritten in place by a catalogue of the same size", Tamper::OverwriteInPlace, changed, true,
            false);
        row("-wal deleted", Tamper::DeleteLog, logGone, true, false);
        row("-shm deleted", Tamper::DeleteIndex, indexGone, true, false);
        row("-wal deleted, then another program writes", Tamper::DeleteLog, logGone, true, true);
        row("-shm deleted, then another program writes", Tamper::DeleteIndex, indexGone, true, true);
        row("file replaced by rename", Tamper::ReplaceByRename, replaced, true, false);
    }

    // The catalogue changed by another program while Quantaro runs, with its
    // device and inode the same or not: the next add is refused with a box that
    // says why, nothing is written into the file as the other program left it,
    // what another program then stores there stays, and the program goes on
    // and ends cleanly.
    void changedUnderTheProgramIsRefused()
    {
        QFETCH(Tamper, how);
        QFETCH(QString, told);
        QFETCH(bool, stillACatalogue);
        QFETCH(bool, otherWrites);
        const Install dir;
        const QString live = dir.filePath(Live);
        QProcess user;
        startCommands(user, dir.path());
        QCOMPARE(addThrough(user, QStringLiteral("First")), QStringList());
        QCOMPARE(userPropertyRows(live, QStringLiteral("First")), 4);

        const QString other = otherCatalogue(live, m_home.path());
        // A file's times move in steps of the kernel's clock tick: the other
        // program writes a tick or more after the program last wrote the file.
        QTest::qWait(20);
        tamper(how, live, other);
        if (otherWrites)
            execOn(live, QStringLiteral("insert into tbUserProperty values ('999', 'Other', '0')"));
        const QByteArray left = digest(live);
        for (const QString& name : {QStringLiteral("Second"), QStringLiteral("Third")}) {
            const QStringList boxes = addThrough(user, name);
            QCOMPARE(boxes.size(), 1);
            QVERIFY2(boxes.first().contains(QLatin1String("could not be stored")), qPrintable(boxes.first()));
            QVERIFY2(boxes.first().contains(told), qPrintable(boxes.first()));
        }
        exitThrough(user);
        QCOMPARE(digest(live), left);
        if (!stillACatalogue)
            return;
        QCOMPARE(rowsOf(live, QStringLiteral("pragma integrity_check")), QList<QStringList>({{"ok"}}));
        QCOMPARE(userPropertyRows(live, QStringLiteral("Second")), 0);
        QCOMPARE(userPropertyRows(live, QStringLiteral("Third")), 0);
        const QString others = QStringLiteral("select count(*) from tbUserProperty where propname = 'Other'");
        QCOMPARE(rowsOf(live, others), QList<QStringList>({{otherWrites ? "1" : "0"}}));
    }

    // Two copies of the program on one catalogue, adding in turn and at once:
    // the commits of each, and its folds of the log into the file, change the
    // file under the other, and neither takes that for another program's change.
    void secondCopyOfTheProgramIsNoChange()
    {
        const Install dir;
        const QString live = dir.filePath(Live);
        QProcess first;
        QProcess second;
        startCommands(first, dir.path());
        startCommands(second, dir.path());
        QStringList names;
        for (int round = 0; round < 6; ++round) {
            for (QProcess* user : {&first, &second}) {
                names << QStringLiteral("In turn %1 %2").arg(round).arg(user == &first ? 1 : 2);
                QCOMPARE(addThrough(*user, names.last()), QStringList());
            }
        }
        for (int round = 0; round < 6; ++round) {
            for (QProcess* user : {&first, &second}) {
                names << QStringLiteral("At once %1 %2").arg(round).arg(user == &first ? 1 : 2);
                user->write((QStringLiteral("add ") + names.last() + QLatin1Char('\n')).toUtf8());
            }
            for (QProcess* user : {&first, &second})
                QCOMPARE(waitForLine(*user, QStringLiteral("added")), QStringLiteral("added"));
        }
        exitThrough(first);
        exitThrough(second);
        QCOMPARE(rowsOf(live, QStringLiteral("pragma integrity_check")), QList<QStringList>({{"ok"}}));
        for (const QString& name : names)
            QCOMPARE(userPropertyRows(live, name), 4);
    }

    // The user's file is made from the shipped one when it is missing, by the program too.
    void missingUserFileIsMadeFromTheShippedOne()
    {
        const Install dir;
        QVERIFY(QFile::remove(dir.filePath(Live)));
        addAsUser(dir.path(), QStringLiteral("Fresh property"));
        QCOMPARE(userPropertyRows(dir.filePath(Live), QStringLiteral("Fresh property")), 4);
        QCOMPARE(rowsOf(dir.filePath(Seed), QStringLiteral("select count(*) from tbUserProperty")),
                 QList<QStringList>({{"0"}}));
    }
};

QTEST_GUILESS_MAIN(TestUserData)
#include "tst_userdata.moc"
