#pragma once

// Helpers shared by the reliability tests: whole-catalogue snapshots to prove
// that a refused or failed action changed nothing.

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>

#include "data/Schema.h"

namespace Reliability {

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
