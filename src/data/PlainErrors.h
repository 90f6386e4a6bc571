#pragma once

#include "RuntimeError.h"

#include <QString>
#include <QVariant>

class QSqlError;
class Recordset;

// The descriptions of run-time errors in words a user understands: which file
// or which row and field is wrong, why, and what to do. The error numbers stay
// those of the original program.
namespace PlainErrors {

// Why the catalogue cannot be opened at start-up.
enum class StartupFault {
    Missing,       // no file of that name in the folder
    NotAFile,      // a folder or device in its place
    NoPermission,  // the user may not read it
    NotACatalogue, // another kind of file, or a database without the catalogue tables
    Damaged,       // the catalogue's own pages cannot be read
    InUse,         // another program holds it locked
    Unusable,      // anything else the database engine refuses
};

// The fault that an error of the database engine at opening stands for.
StartupFault faultOf(const QSqlError& error);

// The report of a failed start-up for the catalogue at `path`. `detail` is
// what the engine or the check found, shown last for whoever helps the user.
QString startupDescription(StartupFault fault, const QString& path, const QString& detail = QString());
RuntimeError startupError(StartupFault fault, const QString& path, const QString& detail = QString());

// Why nothing more is stored in the catalogue at `path` that changed under the
// program while it ran: deleted or another file put in its place; changed in
// place by another program; or the engine's file `logPath` beside it deleted.
QString fileReplacedWhileRunning(const QString& path);
QString fileChangedWhileRunning(const QString& path);
QString logDeletedWhileRunning(const QString& path, const QString& logPath);

// What is wrong with `value`, given the conversion error it raised: "is
// empty", "holds "abc", which is not a number", "holds 1E+400, which is too large".
QString valueProblem(const RuntimeError& error, const QVariant& value);

// The same error with a description that names the field: "<subject> in the
// catalogue <problem>. <remedy>"; for example subject "The factor of the unit
// "Foot"" and remedy "Choose another unit.".
RuntimeError fieldError(const RuntimeError& error, const QString& subject, const QVariant& value,
                        const QString& remedy);

struct NamedRow
{
    QString name;
    qint32 id;
};

// The name (Schema::NameColumn) and identifier (Schema::IdColumn) of the current row of
// `table`, a property or unit table. A value that cannot be used raises its
// conversion error, described by the row and the field and what to do.
NamedRow readNamedRow(Recordset& rows, const QString& table);

} // namespace PlainErrors
