#include "Schema.h"

#include "RuntimeError.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

namespace Schema {

QStringList statements()
{
    // Text comparisons ignore letter case, as the catalogue's users expect.
    // Identifiers are unique so that a clash is refused instead of stored twice.
    return {
        QStringLiteral("create table tbProperty ("
                       " PropID text collate nocase not null unique,"
                       " propname text collate nocase,"
                       " propDF text collate nocase)"),
        QStringLiteral("create table tbUnits ("
                       " UID text collate nocase not null unique,"
                       " uname text collate nocase,"
                       " factor real,"
                       " PropID text collate nocase,"
                       " df text collate nocase)"),
        QStringLiteral("create table tbUserProperty ("
                       " PropID text collate nocase,"
                       " propname text collate nocase,"
                       " propDF text collate nocase)"),
        QStringLiteral("create table tbUserUnits ("
                       " UID text collate nocase,"
                       " uname text collate nocase,"
                       " factor real,"
                       " PropID text collate nocase,"
                       " df text collate nocase)"),
        QStringLiteral("create index ixPropertyName on tbProperty (propname)"),
        // The flag stays out of the index: hiding or showing a unit then
        // rewrites its row alone, not an index entry moving across the index.
        QStringLiteral("create index ixUnitsProperty on tbUnits (PropID)"),
        QStringLiteral("create index ixUnitsName on tbUnits (uname, PropID)"),
        // A new row's identifier must be free in the user record as well.
        QStringLiteral("create index ixUserPropertyID on tbUserProperty (PropID)"),
        QStringLiteral("create index ixUserUnitsID on tbUserUnits (UID)"),
    };
}

const QStringList& tables()
{
    static const QStringList names{QStringLiteral("tbProperty"), QStringLiteral("tbUnits"),
                                   QStringLiteral("tbUserProperty"), QStringLiteral("tbUserUnits")};
    return names;
}

QStringList columns(const QString& table)
{
    static const QStringList property{QStringLiteral("PropID"), QStringLiteral("propname"), QStringLiteral("propDF")};
    static const QStringList units{QStringLiteral("UID"), QStringLiteral("uname"), QStringLiteral("factor"),
                                   QStringLiteral("PropID"), QStringLiteral("df")};
    if (table.compare(QLatin1String("tbProperty"), Qt::CaseInsensitive) == 0 ||
        table.compare(QLatin1String("tbUserProperty"), Qt::CaseInsensitive) == 0)
        return property;
    if (table.compare(QLatin1String("tbUnits"), Qt::CaseInsensitive) == 0 ||
        table.compare(QLatin1String("tbUserUnits"), Qt::CaseInsensitive) == 0)
        return units;
    return {};
}

void create(QSqlDatabase& db)
{
    QSqlQuery query(db);
    for (const QString& statement : statements()) {
        if (!query.exec(statement))
            throw RuntimeError(ErrorNumber::ProviderError, query.lastError().text());
    }
}

} // namespace Schema
