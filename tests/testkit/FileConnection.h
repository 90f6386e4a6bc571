#pragma once

// A catalogue file read and written on a connection of its own, apart from the
// program's shared one: for tests that look at a file another process or the
// build wrote.

#include "TestDatabase.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace TestKit {

class FileConnection
{
public:
    explicit FileConnection(const QString& path, bool readOnly = false)
    {
        static int serial = 0;
        m_name = QStringLiteral("testkit-file-%1").arg(++serial);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        if (readOnly)
            db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        if (!db.open())
            m_error = path + QStringLiteral(": ") + db.lastError().text();
    }
    ~FileConnection()
    {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    FileConnection(const FileConnection&) = delete;
    FileConnection& operator=(const FileConnection&) = delete;

    // Why the file could not be opened or the last query failed; empty when all went well.
    QString error() const { return m_error; }

    // All rows of a query as text lists (NULL reads "<NULL>"); none, with the
    // reason in error(), when the file is not open or the query fails.
    QList<QStringList> rows(const QString& sql, const QVariantList& params = {})
    {
        if (!m_error.isEmpty())
            return {};
        QSqlQuery query(QSqlDatabase::database(m_name, false));
        query.prepare(sql);
        for (const QVariant& param : params)
            query.addBindValue(param);
        if (!query.exec()) {
            m_error = sql + QStringLiteral(": ") + query.lastError().text();
            return {};
        }
        return TestDatabase::readRows(query);
    }

    // The rows of a query that must run; ends the test run when it cannot.
    QList<QStringList> rowsOrFail(const QString& sql, const QVariantList& params = {})
    {
        const QList<QStringList> result = rows(sql, params);
        if (!m_error.isEmpty())
            qFatal("%s", qPrintable(m_error));
        return result;
    }

private:
    QString m_name;
    QString m_error;
};

} // namespace TestKit
