// Builds the shipped catalogue database from its human-readable sources:
//   mkcatalogue [--any-borrowing] <catalogue-dir> <output-file>
// The properties must borrow units as the converter's own table says; only a
// catalogue made for a test, with --any-borrowing, may differ.
// The file is written under a temporary name and renamed into place only when
// complete, so a failed build never leaves a half-written catalogue behind.
// It is the catalogue as shipped; the program brings a user's catalogue up to
// date from it when its version (in the file header) is newer.

#include "cataloguesource/CatalogueSource.h"
#include "data/CatalogueUpdate.h"
#include "data/RuntimeError.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

const QString ConnectionName = QStringLiteral("mkcatalogue");

void exec(QSqlQuery& query)
{
    if (!query.exec())
        throw RuntimeError(ErrorNumber::ProviderError, query.lastError().text());
}

void insertProperties(QSqlDatabase& db, const QList<CatalogueSource::Property>& properties)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("insert into tbProperty (PropID, propname, propDF) values (?, ?, ?)"));
    for (const CatalogueSource::Property& property : properties) {
        query.bindValue(Schema::PropertyColumn::PropID, property.id);
        query.bindValue(Schema::PropertyColumn::propname, property.name);
        query.bindValue(Schema::PropertyColumn::propDF, Schema::VisibleFlag);
        exec(query);
    }
}

void insertUnits(QSqlDatabase& db, const QList<CatalogueSource::Unit>& units)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral("insert into tbUnits (UID, uname, factor, PropID, df) values (?, ?, ?, ?, ?)"));
    for (const CatalogueSource::Unit& unit : units) {
        query.bindValue(Schema::UnitColumn::UID, unit.uid);
        query.bindValue(Schema::UnitColumn::uname, unit.name);
        query.bindValue(Schema::UnitColumn::factor,
                        CatalogueSource::isTemperatureProperty(unit.propId) ? 1.0 : unit.factor);
        query.bindValue(Schema::UnitColumn::PropID, unit.propId);
        query.bindValue(Schema::UnitColumn::df, Schema::VisibleFlag);
        exec(query);
    }
}

// The seconds since 2020 at the build, and always above the version of the
// catalogue it replaces, so that every build counts as newer.
int newVersion(const QString& previous)
{
    const qint64 seconds =
        QDateTime::currentSecsSinceEpoch() - QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC).toSecsSinceEpoch();
    return int(qMax<qint64>(seconds, qint64(CatalogueUpdate::fileVersion(previous)) + 1));
}

// Writes the whole catalogue into a new database file in one transaction.
void writeDatabase(const QString& path, const CatalogueSource::Catalogue& catalogue, int version)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), ConnectionName);
    db.setDatabaseName(path);
    if (!db.open())
        throw RuntimeError(ErrorNumber::ProviderError, db.lastError().text());
    try {
        if (!db.transaction())
            throw RuntimeError(ErrorNumber::ProviderError, db.lastError().text());
        Schema::create(db);
        insertProperties(db, catalogue.properties);
        insertUnits(db, catalogue.units);
        QSqlQuery query(db);
        query.prepare(QStringLiteral("pragma user_version = %1").arg(version));
        exec(query);
        if (!db.commit())
            throw RuntimeError(ErrorNumber::ProviderError, db.lastError().text());
    } catch (...) {
        db.close();
        throw;
    }
    db.close();
}

// Owns the temporary file until it is renamed into place; removes it otherwise.
class TemporaryOutput
{
public:
    explicit TemporaryOutput(const QString& output)
        : m_path(output + QStringLiteral(".tmp-%1").arg(QCoreApplication::applicationPid()))
    {
        QFile::remove(m_path);
    }
    ~TemporaryOutput()
    {
        if (!m_committed)
            QFile::remove(m_path);
    }
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;

    QString path() const { return m_path; }

    void commitTo(const QString& output)
    {
        std::error_code error;
        std::filesystem::rename(QFile::encodeName(m_path).toStdString(), QFile::encodeName(output).toStdString(),
                                error);
        if (error)
            throw RuntimeError(
                ErrorNumber::ProviderError,
                QStringLiteral("cannot rename to %1: %2").arg(output, QString::fromStdString(error.message())));
        m_committed = true;
    }

private:
    QString m_path;
    bool m_committed = false;
};

int build(const QString& sourceDir, const QString& output, bool anyBorrowing)
{
    const CatalogueSource::Catalogue catalogue = CatalogueSource::load(sourceDir);
    if (!anyBorrowing)
        CatalogueSource::checkAgainstConverter(catalogue);
    TemporaryOutput temporary(output);
    writeDatabase(temporary.path(), catalogue, newVersion(output));
    QSqlDatabase::removeDatabase(ConnectionName);
    temporary.commitTo(output);
    std::printf("%s: %lld properties, %lld units\n", qPrintable(QFileInfo(output).fileName()),
                static_cast<long long>(catalogue.properties.size()), static_cast<long long>(catalogue.units.size()));
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    const bool anyBorrowing = args.removeAll(QStringLiteral("--any-borrowing")) > 0;
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: mkcatalogue [--any-borrowing] <catalogue-dir> <output-file>\n");
        return 2;
    }
    const QString sourceDir = args.at(0);
    try {
        return build(sourceDir, args.at(1), anyBorrowing);
    } catch (const CatalogueSource::SourceError& error) {
        std::fprintf(stderr, "%s/%s\n", qPrintable(QDir::cleanPath(sourceDir)), error.what());
    } catch (const RuntimeError& error) {
        std::fprintf(stderr, "mkcatalogue: error %d: %s\n", error.number(), qPrintable(error.description()));
    }
    QSqlDatabase::removeDatabase(ConnectionName);
    return 1;
}
