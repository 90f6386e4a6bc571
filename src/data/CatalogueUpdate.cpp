#include "CatalogueUpdate.h"

#include "RuntimeError.h"
#include "Schema.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <limits>

namespace {

// A catalogue table, its record of user rows, and its columns in file order.
struct Table
{
    QString kind; // as written in tbShippedID
    QString catalogue;
    QString user;
    QStringList columns; // the identifier first
    int flag;            // the visibility flag: the user's, never taken from the shipped file
    int property;        // the column naming a property, or -1
};

const Table& properties()
{
    static const Table table{QStringLiteral("P"),
                             QStringLiteral("tbProperty"),
                             QStringLiteral("tbUserProperty"),
                             Schema::columns(QStringLiteral("tbProperty")),
                             Schema::PropertyColumn::propDF,
                             -1};
    return table;
}

const Table& units()
{
    static const Table table{QStringLiteral("U"),           QStringLiteral("tbUnits"),
                             QStringLiteral("tbUserUnits"), Schema::columns(QStringLiteral("tbUnits")),
                             Schema::UnitColumn::df,        Schema::UnitColumn::PropID};
    return table;
}

const QString MovedTable = QStringLiteral("tbShippedID");

[[noreturn]] void fail(const QString& what, const QSqlError& error)
{
    throw RuntimeError(ErrorNumber::ProviderError, what + QStringLiteral(": ") + error.text());
}

QSqlQuery run(const QSqlDatabase& db, const QString& sql, const QVariantList& params = {})
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        fail(sql, query.lastError());
    for (int i = 0; i < params.size(); ++i)
        query.bindValue(i, params.at(i));
    if (!query.exec())
        fail(sql, query.lastError());
    return query;
}

QSet<QString> textColumn(const QSqlDatabase& db, const QString& sql)
{
    QSet<QString> values;
    QSqlQuery query = run(db, sql);
    while (query.next())
        values.insert(query.value(0).toString());
    return values;
}

// The shipped rows of `table` in the file `shipped`: a catalogue that a user
// has written to (a read-only install's own file) ships only the rows its user
// tables do not record.
QList<QVariantList> shippedRows(const QSqlDatabase& shipped, const Table& table)
{
    const QString id = table.columns.first();
    const QString sql = QStringLiteral("select %1 from %2 t where not exists (select 1 from %3 u where u.%4 = t.%4)")
                            .arg(table.columns.join(QStringLiteral(", ")), table.catalogue, table.user, id);
    QList<QVariantList> rows;
    QSqlQuery query = run(shipped, sql);
    while (query.next()) {
        QVariantList row;
        for (int i = 0; i < table.columns.size(); ++i)
            row << query.value(i);
        rows << row;
    }
    return rows;
}

// One table's merge into the user's file.
class TableMerge
{
public:
    TableMerge(const QSqlDatabase& live, const Table& table, const QHash<QString, QString>& propertyIds)
        : m_live(live), m_table(table), m_propertyIds(propertyIds)
    {
        const QString id = table.columns.first();
        m_present = textColumn(live, QStringLiteral("select %1 from %2").arg(id, table.catalogue));
        m_userIds = textColumn(live, QStringLiteral("select %1 from %2").arg(id, table.user));
        if (hasMovedTable(live)) {
            QSqlQuery query = run(
                live, QStringLiteral("select shippedID, liveID from %1 where kind = ?").arg(MovedTable), {table.kind});
            while (query.next())
                m_liveIds.insert(query.value(0).toString(), query.value(1).toString());
        }
    }

    void merge(const QList<QVariantList>& rows)
    {
        for (const QVariantList& row : rows)
            m_shippedIds.insert(row.first().toString());
        for (QVariantList row : rows) {
            row[0] = liveId(row.first().toString());
            if (m_table.property >= 0)
                row[m_table.property] =
                    m_propertyIds.value(row.at(m_table.property).toString(), row.at(m_table.property).toString());
            if (m_present.contains(row.first().toString()))
                update(row);
            else
                insert(row);
        }
    }

    // Where each shipped identifier lives in the user's file.
    QHash<QString, QString> liveIds() const { return m_liveIds; }

    static bool hasMovedTable(const QSqlDatabase& db)
    {
        return run(db, QStringLiteral("select 1 from sqlite_master where type = 'table' and name = ?"), {MovedTable})
            .next();
    }

private:
    QString liveId(const QString& shippedId)
    {
        const auto found = m_liveIds.constFind(shippedId);
        if (found != m_liveIds.constEnd())
            return *found;
        if (!m_userIds.contains(shippedId))
            return shippedId;
        // A user's row holds the identifier: it stays, and the shipped row moves.
        const QString moved = freeId();
        run(m_live,
            QStringLiteral("create table if not exists %1 (kind text, shippedID text, liveID text)").arg(MovedTable));
        run(m_live, QStringLiteral("insert into %1 (kind, shippedID, liveID) values (?, ?, ?)").arg(MovedTable),
            {m_table.kind, shippedId, moved});
        m_liveIds.insert(shippedId, moved);
        return moved;
    }

    // The highest identifier no row of the user's file or the shipped file
    // holds: user identifiers come from the clock, shipped ones count from 1.
    QString freeId()
    {
        for (qint64 n = std::numeric_limits<qint32>::max(); n > 0; --n) {
            const QString id = QString::number(n);
            if (!m_present.contains(id) && !m_userIds.contains(id) && !m_shippedIds.contains(id) &&
                !m_taken.contains(id)) {
                m_taken.insert(id);
                return id;
            }
        }
        throw RuntimeError(ErrorNumber::ProviderError,
                           QStringLiteral("No identifier is free in %1.").arg(m_table.catalogue));
    }

    // Every column but the identifier and the user's flag; unchanged rows are not rewritten.
    void update(const QVariantList& row)
    {
        QStringList assignments;
        QStringList differences;
        QVariantList values;
        QVariantList compared;
        for (int i = 1; i < m_table.columns.size(); ++i) {
            if (i == m_table.flag)
                continue;
            assignments << m_table.columns.at(i) + QStringLiteral(" = ?");
            differences << m_table.columns.at(i) + QStringLiteral(" is not ? collate binary");
            values << row.at(i);
            compared << row.at(i);
        }
        const QString sql = QStringLiteral("update %1 set %2 where %3 = ? and (%4)")
                                .arg(m_table.catalogue, assignments.join(QStringLiteral(", ")), m_table.columns.first(),
                                     differences.join(QStringLiteral(" or ")));
        run(m_live, sql, values + QVariantList{row.first()} + compared);
    }

    void insert(const QVariantList& row)
    {
        const QString marks = QStringList(m_table.columns.size(), QStringLiteral("?")).join(QLatin1Char(','));
        run(m_live,
            QStringLiteral("insert into %1 (%2) values (%3)")
                .arg(m_table.catalogue, m_table.columns.join(QLatin1Char(',')), marks),
            row);
        m_present.insert(row.first().toString());
    }

    const QSqlDatabase& m_live;
    const Table& m_table;
    const QHash<QString, QString>& m_propertyIds;
    QSet<QString> m_present;
    QSet<QString> m_userIds;
    QSet<QString> m_shippedIds;
    QSet<QString> m_taken;
    QHash<QString, QString> m_liveIds;
};

int liveVersion(const QSqlDatabase& live)
{
    QSqlQuery query = run(live, QStringLiteral("pragma user_version"));
    return query.next() ? query.value(0).toInt() : 0;
}

// A read-only connection to the shipped file, closed when it goes.
class ShippedFile
{
public:
    explicit ShippedFile(const QString& path)
    {
        static int serial = 0;
        m_name = QStringLiteral("quantaro-shipped-%1").arg(++serial);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) + QStringLiteral("?mode=ro"));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_OPEN_READONLY"));
        if (!db.open()) {
            const QSqlError error = db.lastError();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_name);
            fail(path, error);
        }
    }
    ~ShippedFile()
    {
        {
            QSqlDatabase db = QSqlDatabase::database(m_name, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_name);
    }
    ShippedFile(const ShippedFile&) = delete;
    ShippedFile& operator=(const ShippedFile&) = delete;

    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

void mergeInto(QSqlDatabase& live, const QSqlDatabase& shipped, int version)
{
    const QList<QVariantList> shippedProperties = shippedRows(shipped, properties());
    const QList<QVariantList> shippedUnits = shippedRows(shipped, units());
    const QHash<QString, QString> none;
    TableMerge propertyMerge(live, properties(), none);
    propertyMerge.merge(shippedProperties);
    const QHash<QString, QString> propertyIds = propertyMerge.liveIds();
    TableMerge unitMerge(live, units(), propertyIds);
    unitMerge.merge(shippedUnits);
    run(live, QStringLiteral("pragma user_version = %1").arg(version));
}

} // namespace

namespace CatalogueUpdate {

int fileVersion(const QString& path)
{
    // The header's first 100 bytes: the format's name, and the user version
    // at offset 60, big-endian.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray header = file.read(100);
    if (header.size() < 100 || !header.startsWith(QByteArrayLiteral("SQLite format 3\0")))
        return 0;
    const auto byte = [&header](int i) { return quint32(quint8(header.at(i))); };
    return int(byte(60) << 24 | byte(61) << 16 | byte(62) << 8 | byte(63));
}

bool isNewer(const QSqlDatabase& live, const QString& shippedPath)
{
    return fileVersion(shippedPath) > liveVersion(live);
}

bool apply(const QSqlDatabase& live, const QString& shippedPath)
{
    const int version = fileVersion(shippedPath);
    if (version <= liveVersion(live))
        return false;
    const ShippedFile shipped(shippedPath);
    QSqlDatabase db = live;
    if (!db.transaction())
        fail(QStringLiteral("begin"), db.lastError());
    try {
        mergeInto(db, shipped.db(), version);
        if (!db.commit())
            fail(QStringLiteral("commit"), db.lastError());
    } catch (...) {
        db.rollback();
        throw;
    }
    return true;
}

} // namespace CatalogueUpdate
