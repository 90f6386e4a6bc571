#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>

#include <unordered_map>
#include <vector>

class RuntimeError;

// The program's one database connection. `ConnectionString` is the path of the
// catalogue file; opening never creates a file that is not there.
class Connection
{
public:
    QString ConnectionString;

    // Opens the catalogue for reading and writing; throws RuntimeError when the
    // file is missing, unreadable, not a database, or lacks a catalogue table.
    void Open();
    // Lets tests and benchmarks start again with another file.
    void Close();
    bool isOpen() const;

    // One unit of work: either every write between BeginTrans and CommitTrans
    // is stored, or none after RollbackTrans. Throw RuntimeError on failure.
    void BeginTrans();
    void CommitTrans();
    void RollbackTrans();

    QSqlDatabase database() const;

    // Records that a change was committed and is not yet in the file itself.
    void noteChange() { m_unsaved = true; }
    // Folds the log of committed changes into the catalogue file, so that a
    // copy of that one file holds every change. Runs after each handler that
    // wrote and at exit; nothing to do when nothing changed since. A failed
    // checkpoint loses nothing: the changes stay in the log and the next call
    // tries again.
    void saveToFile();

    // Throws RuntimeError when the file opened is no longer at its path: it was
    // deleted, or another file was put in its place. What is read or written
    // then belongs to a file nobody will open again. Inside an Action the file
    // was checked when the action began.
    void requireSameFile() const;

    // One user action that may read and write many rows, as a move of 10,000
    // units: the file is looked at once as it begins (requireSameFile then
    // answers from that look), and no commit inside it stops to fold the log
    // into the file; the first commit after it does. Each row is still
    // committed on its own. Actions may nest; the outermost one counts.
    class Action
    {
    public:
        explicit Action(Connection& connection);
        ~Action();
        Action(const Action&) = delete;
        Action& operator=(const Action&) = delete;

    private:
        Connection& m_connection;
    };

    // The statement for `sql`, prepared at its first use and kept for the next:
    // the windows run the same few statements row after row, and preparing one
    // costs more than running it. Throws RuntimeError when it cannot be
    // prepared. The caller finishes it when done, so that no kept statement
    // holds the file.
    QSqlQuery& prepared(const QString& sql);

    // A query that selects all columns of one table, prepared at its first use
    // with the row id in front so that a changed row can be written back.
    struct Select
    {
        QSqlQuery query;
        QString table; // empty: the query is no such select, and read-only
        QStringList columns;
    };
    Select& preparedSelect(const QString& sql);

private:
    static void useWriteAheadLog(const QSqlDatabase& db);
    QString damage(const QSqlDatabase& db) const;
    QString misorderedColumns(const QSqlDatabase& db) const;
    void pragma(const QString& text) const;
    bool isSameFile() const;

    QHash<QString, QSqlQuery> m_statements;
    std::unordered_map<QString, Select> m_selects;
    int m_actions = 0;
    bool m_sameFileAtAction = true;

    QString m_name;
    QString m_path;
    quint64 m_device = 0;
    quint64 m_inode = 0;
    bool m_unsaved = false;
};

class Recordset;

// One column of the current row, read and written by position.
class Field
{
public:
    Field(Recordset& owner, int index) : m_owner(owner), m_index(index) {}
    QVariant Value() const;
    void setValue(const QVariant& value);

private:
    Recordset& m_owner;
    int m_index;
};

// A result set over one query: the rows are read when it opens, and a row can be
// added or the current row changed and written back at once with Update.
class Recordset
{
public:
    // Runs `sql` with its `?` placeholders bound to `params`, positioned on the
    // first row. Throws 3705 when already open, or the engine's error (and
    // stays closed) when the query cannot run.
    void Open(const QString& sql, const QVariantList& params = {}, Connection* connection = nullptr);
    // Throws 3704 when already closed. A pending edit is discarded.
    void Close();
    bool isOpen() const { return m_open; }

    // True past the last row, and at once for an empty result.
    bool Eof() const;
    void MoveFirst();
    void MoveNext();
    Field Fields(int index) { return Field(*this, index); }
    int fieldCount() const;

    // Starts a new, empty row that becomes the current row.
    void AddNew();
    // Writes the pending new row, or the changes to the current row, at once.
    void Update();
    // Drops a pending new row or pending changes.
    void CancelUpdate();

private:
    friend class Field;
    enum class EditMode { None, Edit, Add };

    // Records why the result set stays closed, so the caller's first access
    // can tell the user, and throws `error`.
    [[noreturn]] void failOpen(const RuntimeError& error);
    void requireOpen() const;
    void requireCurrentRow() const;
    void checkIndex(int index) const;
    QVariant value(int index) const;
    void setValue(int index, const QVariant& value);
    void insertPending();
    void updateCurrent();
    const QString& updateText();

    Connection* m_connection = nullptr;
    QString m_table;
    QStringList m_columns;
    // The rows one after the other, m_columns.size() values each.
    std::vector<QVariant> m_values;
    std::vector<qint64> m_rowids;
    std::size_t m_position = 0;
    // The update statement for the columns changed last, kept for the next row.
    QString m_updateTable;
    QVector<bool> m_updateColumns;
    QString m_updateText;
    bool m_open = false;
    QString m_closedReason;
    EditMode m_editMode = EditMode::None;
    QVector<QVariant> m_pending;
    QVector<bool> m_changed;
};

// The objects every window shares, and the routine that points the shared
// result set at a new query.
namespace modMain {

inline Connection dbConnection;
inline Recordset dbRecordset;
// The property whose units a window is about to list.
inline QString CurrentPropID;

// Opens dbRecordset on `sql`, discarding whatever it held. Reports nothing: a
// query that cannot run leaves dbRecordset closed, and the caller meets the
// error at its first access.
void OpenRecordset(const QString& sql, const QVariantList& params = {});

// True when the catalogue stores `text` and gives it back unchanged. A lone
// surrogate has no UTF-8 form, the database engine takes a leading U+FEFF or
// U+FFFE for a byte-order mark, and it reads U+FFFE and U+FFFF back as U+FFFD.
bool storesExactly(const QString& text);

} // namespace modMain
