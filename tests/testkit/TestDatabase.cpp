#include "TestDatabase.h"

#include "BuildFolder.h"

#include "data/RuntimeError.h"
#include "data/Schema.h"
#include "data/modMain.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

TestDatabase::TestDatabase()
{
    static int serial = 0;
    m_name = QStringLiteral("test-%1").arg(++serial);
    m_path = m_dir.filePath(QStringLiteral("Tessaly.mdb"));
    QSqlDatabase database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    database.setDatabaseName(m_path);
    if (!database.open())
        qFatal("cannot create test database: %s", qPrintable(database.lastError().text()));
    Schema::create(database);
}

TestDatabase::~TestDatabase()
{
    if (modMain::dbRecordset.isOpen())
        modMain::dbRecordset.Close();
    modMain::dbConnection.Close();
    {
        QSqlDatabase database = db();
        database.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase TestDatabase::db() const
{
    return QSqlDatabase::database(m_name, false);
}

void TestDatabase::addProperty(const QString& id, const QString& name, const QString& flag)
{
    exec(QStringLiteral("insert into tbProperty values (?, ?, ?)"), {id, name, flag});
}

void TestDatabase::addUnit(const QString& uid, const QString& name, const QVariant& factor, const QString& propId,
                           const QString& flag)
{
    exec(QStringLiteral("insert into tbUnits values (?, ?, ?, ?, ?)"), {uid, name, factor, propId, flag});
}

void TestDatabase::exec(const QString& sql, const QVariantList& params)
{
    QSqlQuery query(db());
    if (!query.prepare(sql))
        qFatal("cannot prepare %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    for (const QVariant& param : params)
        query.addBindValue(param);
    if (!query.exec())
        qFatal("cannot run %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
}

QVariant TestDatabase::scalar(const QString& sql, const QVariantList& params)
{
    const QList<QStringList> all = rows(sql, params);
    return all.isEmpty() || all.first().isEmpty() ? QVariant() : QVariant(all.first().first());
}

QList<QStringList> TestDatabase::rows(const QString& sql, const QVariantList& params)
{
    QSqlQuery query(db());
    query.prepare(sql);
    for (const QVariant& param : params)
        query.addBindValue(param);
    if (!query.exec())
        qFatal("cannot run %s: %s", qPrintable(sql), qPrintable(query.lastError().text()));
    return readRows(query);
}

QList<QStringList> TestDatabase::readRows(QSqlQuery& query)
{
    QList<QStringList> result;
    while (query.next()) {
        QStringList row;
        for (int i = 0; i < query.record().count(); ++i)
            row << (query.value(i).isNull() ? QStringLiteral("<NULL>") : query.value(i).toString());
        result << row;
    }
    return result;
}

void TestDatabase::openShared()
{
    modMain::dbConnection.ConnectionString = m_path;
    modMain::dbConnection.Open();
}

QString TestDatabase::shippedCatalogue()
{
    return TestKit::builtFile(QStringLiteral("Tessaly.seed.mdb"));
}

void TestDatabase::useShippedCatalogue()
{
    {
        QSqlDatabase database = db();
        database.close();
    }
    QFile::remove(m_path);
    if (!QFile::copy(shippedCatalogue(), m_path))
        qFatal("cannot copy the shipped catalogue from %s", qPrintable(shippedCatalogue()));
    QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    QSqlDatabase database = db();
    if (!database.open())
        qFatal("cannot reopen test database");
}

int errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const RuntimeError& error) {
        return error.number();
    }
    return 0;
}
