#include "PlainErrors.h"

#include "Schema.h"
#include "Variant.h"
#include "modMain.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>

#include <iterator>

namespace PlainErrors {

namespace {

// SQLite's primary result codes, as the engine reports them at opening.
enum SqliteCode {
    Perm = 3,
    Busy = 5,
    Locked = 6,
    IoErr = 10,
    Corrupt = 11,
    Auth = 23,
    NotADb = 26,
};

// What went wrong with the catalogue "%1" in the folder "%2", and what the user can do about it,
// by fault in the order of the enumeration.
struct Wording
{
    const char* problem;
    const char* remedy;
};

constexpr char Restore[] = "(from your backup, or by installing Quantaro again)";

QString startupProblem(StartupFault fault, const QString& name, const QString& folder)
{
    static const Wording wordings[] = {
        {"its catalogue, the file \"%1\", is missing from the folder \"%2\".",
         "Quantaro keeps every property and unit in that file, beside the program. Put the file back there %3, "
         "then start Quantaro again."},
        {"in the folder \"%2\", \"%1\" is a folder or device, not its catalogue file.",
         "Rename or remove it, put the catalogue file \"%1\" there %3, then start Quantaro again."},
        {"you have no permission to read its catalogue, the file \"%1\" in the folder \"%2\".",
         "Ask the owner of the file or your administrator to let you read and write it, then start Quantaro again."},
        {"the file \"%1\" in the folder \"%2\" is not a Quantaro catalogue.",
         "Another file has taken the catalogue's name. Put the real catalogue back %3, then start Quantaro again."},
        {"its catalogue, the file \"%1\" in the folder \"%2\", is damaged and cannot be read.",
         "Restore the file from your backup, then start Quantaro again. Installing Quantaro again gives a fresh "
         "catalogue, without the properties and units you added."},
        {"its catalogue, the file \"%1\" in the folder \"%2\", is locked by another program.",
         "Close the other program, or wait until it is done, then start Quantaro again."},
        {"its catalogue, the file \"%1\" in the folder \"%2\", could not be opened.",
         "Check that the folder and the file may be read and written, then start Quantaro again."},
    };
    static_assert(std::size(wordings) == static_cast<std::size_t>(StartupFault::Unusable) + 1);
    const Wording& wording = wordings[static_cast<int>(fault)];
    QString text = QStringLiteral("Quantaro cannot start: ") + QLatin1String(wording.problem) + QStringLiteral("\n\n") +
                   QLatin1String(wording.remedy);
    return text.replace(QLatin1String("%3"), QLatin1String(Restore)).arg(name, folder);
}

QString quotedValue(const QVariant& value)
{
    return QLatin1Char('"') + value.toString() + QLatin1Char('"');
}

// The row a user can find: by its name, or by its identifier when the name is what is wrong.
QString rowSubject(Recordset& rows, const QString& table, bool nameBroken)
{
    const bool property = table.compare(QLatin1String("tbProperty"), Qt::CaseInsensitive) == 0;
    const QString kind = property ? QStringLiteral("property") : QStringLiteral("unit");
    const QString idColumn = property ? QStringLiteral("PropID") : QStringLiteral("UID");
    const QVariant name = rows.Fields(Schema::NameColumn).Value();
    if (!nameBroken)
        return QStringLiteral("the %1 %2").arg(kind, quotedValue(name));
    return QStringLiteral("the %1 with %2 %3").arg(kind, idColumn, quotedValue(rows.Fields(Schema::IdColumn).Value()));
}

} // namespace

StartupFault faultOf(const QSqlError& error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;
    if (!ok)
        return StartupFault::Unusable;
    switch (code) {
    case NotADb:
        return StartupFault::NotACatalogue;
    case Corrupt:
    case IoErr:
        return StartupFault::Damaged;
    case Perm:
    case Auth:
        return StartupFault::NoPermission;
    case Busy:
    case Locked:
        return StartupFault::InUse;
    default:
        return StartupFault::Unusable;
    }
}

QString startupDescription(StartupFault fault, const QString& path, const QString& detail)
{
    const QFileInfo file(path);
    QString text = startupProblem(fault, file.fileName(), QDir::toNativeSeparators(file.absolutePath()));
    if (!detail.isEmpty())
        text += QStringLiteral("\n\n(Found: %1.)").arg(detail);
    return text;
}

RuntimeError startupError(StartupFault fault, const QString& path, const QString& detail)
{
    return RuntimeError(ErrorNumber::ProviderError, startupDescription(fault, path, detail));
}

QString fileReplacedWhileRunning(const QString& path)
{
    return QStringLiteral("The catalogue file \"%1\" has been deleted or replaced since Quantaro opened it. Quantaro "
                          "reads and stores nothing more, since what it stored would go into a file nobody opens "
                          "again.\n\nClose Quantaro and start it again to work with the catalogue that is there now.")
        .arg(QDir::toNativeSeparators(path));
}

QString fileChangedWhileRunning(const QString& path)
{
    return QStringLiteral("The catalogue file \"%1\" was changed by another program while Quantaro was running: it "
                          "was cut short or written over. Quantaro reads and stores nothing more, so that the file "
                          "stays as that program left it.\n\nClose Quantaro and start it again to work with the file "
                          "as it is now, or restore it from your backup.")
        .arg(QDir::toNativeSeparators(path));
}

QString logDeletedWhileRunning(const QString& path, const QString& logPath)
{
    return QStringLiteral("The file \"%1\", which Quantaro keeps beside its catalogue \"%2\" while it runs, was "
                          "deleted by another program. What Quantaro stored before is in the catalogue; it reads and "
                          "stores nothing more, since a program opening the catalogue now could lose it.\n\nClose "
                          "Quantaro and start it again.")
        .arg(QDir::toNativeSeparators(logPath), QDir::toNativeSeparators(path));
}

QString valueProblem(const RuntimeError& error, const QVariant& value)
{
    switch (error.number()) {
    case ErrorNumber::InvalidUseOfNull:
        return QStringLiteral("is empty");
    case ErrorNumber::TypeMismatch:
        return QStringLiteral("holds %1, which is not a number").arg(quotedValue(value));
    case ErrorNumber::Overflow:
        return QStringLiteral("holds %1, which is too large").arg(quotedValue(value));
    case ErrorNumber::DivisionByZero:
        return QStringLiteral("is 0");
    default:
        return QStringLiteral("cannot be read (%1)").arg(error.description());
    }
}

RuntimeError fieldError(const RuntimeError& error, const QString& subject, const QVariant& value, const QString& remedy)
{
    return RuntimeError(error.number(),
                        QStringLiteral("%1 in the catalogue %2. %3").arg(subject, valueProblem(error, value), remedy));
}

NamedRow readNamedRow(Recordset& rows, const QString& table)
{
    const auto readOrExplain = [&](int column, const QString& field, auto read) {
        const QVariant value = rows.Fields(column).Value();
        try {
            return read(value);
        } catch (const RuntimeError& error) {
            const QString subject =
                QStringLiteral("The %1 of %2").arg(field, rowSubject(rows, table, column == Schema::NameColumn));
            throw fieldError(error, subject, value,
                             QStringLiteral("The rows before it are listed, the rows after it are not. Restore the "
                                            "catalogue from your backup, or correct that row of the table %1 with a "
                                            "database tool.")
                                 .arg(table));
        }
    };
    const QString name =
        readOrExplain(Schema::NameColumn, QStringLiteral("name"), [](const QVariant& v) { return Variant::toText(v); });
    const qint32 id = readOrExplain(Schema::IdColumn, QStringLiteral("identifier"),
                                    [](const QVariant& v) { return Variant::toInt32(v); });
    return {name, id};
}

} // namespace PlainErrors
