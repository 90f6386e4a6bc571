#pragma once

// Helpers shared by the reliability tests: their small catalogue, a fixed
// clock for the identifiers added rows get, reads on the program's own
// connection, and whole-catalogue snapshots to prove that a refused or failed
// action changed nothing.

#include <QDateTime>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include "CatalogueRows.h"
#include "TestDatabase.h"
#include "data/Schema.h"
#include "data/modMain.h"

namespace Reliability {

// The clock the added rows take their identifier from, and that identifier.
inline const QDateTime Clock(QDate(2024, 3, 5), QTime(14, 7, 9));
inline const QString ClockId = QStringLiteral("15172419");

// A small catalogue: a factor property, a property that borrows its units, a
// temperature property and, with `mass`, a fourth property with one unit.
inline void seed(TestDatabase& db, bool mass)
{
    TestKit::addRows(db, {{"1015", "Length"}, {"1040", "Distance"}, {"92", "Temperature"}},
                     {{"1", "Metre", 1.0, "1015"},
                      {"2", "Kilometre", 0.001, "1015"},
                      {"10", "Celsius", 1.0, "92"},
                      {"11", "Fahrenheit", 1.0, "92"}});
    if (mass)
        TestKit::addRows(db, {{"12", "Mass"}}, {{"6", "Gram", 1000.0, "12"}});
    db.openShared();
}

// The rows of a query on the program's connection, one value each; empty when it cannot run.
inline QVariantList values(const QString& sql, const QVariantList& params = {})
{
    QSqlQuery query(modMain::dbConnection.database());
    query.prepare(sql);
    for (const QVariant& param : params)
        query.addBindValue(param);
    QVariantList values;
    if (query.exec())
        while (query.next())
            values << query.value(0);
    return values;
}

inline QVariant scalar(const QString& sql, const QVariantList& params = {})
{
    return values(sql, params).value(0);
}

// Runs a statement on the program's connection; a statement that fails is reported, not fatal.
inline void execOnProgram(const QString& sql)
{
    QSqlQuery query(modMain::dbConnection.database());
    if (!query.exec(sql))
        qWarning("%s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

// The fresh catalogue files of these tests live in memory where the machine
// offers it: the tests are about behaviour, not the disk, and syncing hundreds
// of new files to a disk would take minutes.
inline void preferMemoryTempDir()
{
    const QFileInfo shm(QStringLiteral("/dev/shm"));
    if (shm.isDir() && shm.isWritable())
        qputenv("TMPDIR", "/dev/shm");
}

// A value with its storage type, so that "1" and 1 or NULL and "" differ.
inline QString describe(const QVariant& value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    return QString::fromLatin1(value.metaType().name()) + QLatin1Char(':') + value.toString();
}

// Every row of the four tables, in storage order, read on `db`. A table that
// cannot be read is recorded as such, so a snapshot never fails by itself.
inline QStringList snapshot(const QSqlDatabase& db)
{
    QStringList lines;
    for (const QString& table : Schema::tables()) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("select * from %1 order by rowid").arg(table))) {
            lines << table + QStringLiteral(": unreadable");
            continue;
        }
        lines << table + QLatin1Char(':');
        while (query.next()) {
            QStringList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << describe(query.value(i));
            lines << row.join(QLatin1Char('|'));
        }
    }
    return lines;
}

} // namespace Reliability
