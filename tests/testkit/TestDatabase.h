#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <functional>

class QSqlQuery;

// A fresh catalogue file for one test: the real schema in a temporary folder,
// filled by the test, then opened as the program's shared connection.
class TestDatabase
{
public:
    TestDatabase();
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    QString path() const { return m_path; }
    QString dir() const { return m_dir.path(); }

    void addProperty(const QString& id, const QString& name, const QString& flag = QStringLiteral("0"));
    void addUnit(const QString& uid, const QString& name, const QVariant& factor, const QString& propId,
                 const QString& flag = QStringLiteral("0"));
    // Runs any statement on the test's own connection; fails the test when it cannot run.
    void exec(const QString& sql, const QVariantList& params = {});
    // The first column of the first row, read on the test's own connection.
    QVariant scalar(const QString& sql, const QVariantList& params = {});
    // All rows of a query as text lists, for comparing whole tables.
    QList<QStringList> rows(const QString& sql, const QVariantList& params = {});
    // The rows an executed query has left, as text lists; NULL reads "<NULL>".
    static QList<QStringList> readRows(QSqlQuery& query);

    // Opens the file as modMain::dbConnection, as the program does at start-up.
    void openShared();

    // A copy of the catalogue the build ships, for tests that need real units.
    static QString shippedCatalogue();
    void useShippedCatalogue();

private:
    QSqlDatabase db() const;

    QTemporaryDir m_dir;
    QString m_path;
    QString m_name;
};

// The number of the run-time error an action raises, or 0 when it raises none.
int errorOf(const std::function<void()>& action);
