#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class QSqlDatabase;

// The catalogue's tables. Column order is part of the file format: every query
// selects all columns of one table and reads them by position.
namespace Schema {

// Positions of the columns of tbProperty and tbUserProperty, in their order.
namespace PropertyColumn {
constexpr int PropID = 0, propname = 1, propDF = 2;
} // namespace PropertyColumn

// Positions of the columns of tbUnits and tbUserUnits, in their order.
namespace UnitColumn {
constexpr int UID = 0, uname = 1, factor = 2, PropID = 3, df = 4;
} // namespace UnitColumn

// Every table has its row's identifier first and its name second, so one
// reader serves rows of either kind.
constexpr int IdColumn = 0;
constexpr int NameColumn = 1;
static_assert(PropertyColumn::PropID == IdColumn && UnitColumn::UID == IdColumn);
static_assert(PropertyColumn::propname == NameColumn && UnitColumn::uname == NameColumn);

// The values of the visibility flags propDF and df, compared as text.
inline const QString VisibleFlag = QStringLiteral("0");
inline const QString HiddenFlag = QStringLiteral("1");

// True when a flag holds `flag`; NULL, like any other value, is neither visible nor hidden.
inline bool flagIs(const QVariant& value, const QString& flag)
{
    return !value.isNull() && value.toString() == flag;
}

// The four tables: the catalogue's properties and units, then the user's record of those added.
const QStringList& tables();

// The statements that create the four tables and their indexes.
QStringList statements();

// The designed columns of `table`, in their order; empty for any other table.
QStringList columns(const QString& table);

// Creates the tables and indexes in an empty database; throws RuntimeError.
void create(QSqlDatabase& db);

} // namespace Schema
