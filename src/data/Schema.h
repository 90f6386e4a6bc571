#pragma once

#include <QStringList>

class QSqlDatabase;

// The catalogue's tables. Column order is part of the file format: every query
// selects all columns of one table and reads them by position.
namespace Schema {

// The statements that create the four tables and their indexes.
QStringList statements();

// The designed columns of `table`, in their order; empty for any other table.
QStringList columns(const QString& table);

// Creates the tables and indexes in an empty database; throws RuntimeError.
void create(QSqlDatabase& db);

} // namespace Schema
