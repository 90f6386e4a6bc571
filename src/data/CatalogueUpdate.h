#pragma once

#include <QString>

class QSqlDatabase;

// Brings a user's catalogue up to date with the catalogue a newer version of
// the program ships, without losing anything the user did.
//
// Each shipped catalogue carries its version in the file header (SQLite's
// user_version); a user's file carries the version it was last brought up to.
namespace CatalogueUpdate {

// The version recorded in the header of the catalogue file at `path`; 0 when
// the file is missing, unreadable or not a database.
int fileVersion(const QString& path);

// True when `shippedPath` holds a newer catalogue than the one `live` was last
// brought up to.
bool isNewer(const QSqlDatabase& live, const QString& shippedPath);

// When `shippedPath` is newer, merges it into `live` in one transaction:
// shipped rows found by identifier take the shipped names, factors and
// properties and keep their visibility flags; new shipped rows are added;
// rows recorded in the user tables stay exactly as they are. A new shipped row
// whose identifier a user row already holds is added under a free identifier,
// remembered in tbShippedID for later updates. Returns true when it merged.
// Throws RuntimeError, leaving `live` as it was, when anything fails.
bool apply(const QSqlDatabase& live, const QString& shippedPath);

} // namespace CatalogueUpdate
