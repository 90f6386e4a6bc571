#pragma once

#include "CheckedFile.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>
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
    // Where Open remembers the file it last read through and found sound, so
    // that it reads an unchanged file through only once. By default nothing is
    // remembered and every Open reads the file through.
    void rememberSoundFile(CheckedFile record) { m_checked = std::move(record); }
    // Lets tests and benchmarks start again with another file.
    void Close();
    bool isOpen() const;

    // One unit of work: either every write between BeginTrans and CommitTrans
    // is stored, or none after RollbackTrans. Throw RuntimeError on failure;
    // CommitTrans also when the file changed under the program (see
    // requireSameFile), looked at just before and just after the commit.
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
    // tries again. Nothing is folded into a file that another program changed
    // or put in place meanwhile: that would mix the two.
    void saveToFile();

    // Throws RuntimeError when the catalogue is no longer as the program left
    // it: deleted, or another file put in its place; cut short or written over
    // in place by another program; or the log or its index beside it deleted.
    // Once found, the change holds until Close, and nothing more is read or
    // written. Commits and checkpoints of other connections to the same file,
    // as a second copy of the program, are no such change. Inside an Action
    // the file was looked at when it began.
    void requireSameFile();
    // True once requireSameFile or saveToFile found such a change; until Close.
    bool changedUnderProgram() const { return m_fault != FileFault::None; }

    // One user action that may read and write many rows, as a move of 10,000
    // units: the file is looked at once as it begins, and requireSameFile then
    // answers from that look. Each row is still committed on its own, and the
    // log is folded into the file after the handler. Actions may nest; the
    // outermost one counts.
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

    // A query prepared at its first use and kept for the next. A query that
    // selects all columns of one table runs with the row id in front, so that
    // a changed row can be written back; given the fields a reader uses, it
    // selects those alone, which is what most of the cost of a row is.
    struct Select
    {
        QSqlQuery query;
        QString table; // empty: the query is no such select, and read-only
        QStringList columns;
        // For each field, its position in the query's rows, or -1 when it is not read.
        std::vector<int> sources;
        // The names its placeholders were given, in order; empty when they are bound by position.
        QStringList paramMarks;
    };
    // The prepared select for `sql` reading `fields` (all when empty). One
    // that a result set still walks is not handed out again: the second
    // reader gets a statement of its own.
    std::shared_ptr<Select> preparedSelect(const QString& sql, const QList<int>& fields = {});

private:
    // What stat() tells of one file. The device and inode stay with a file
    // when it is renamed, and differ for any other file put in its place.
    struct FileLook
    {
        bool exists = false;
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modified = 0; // nanoseconds
        bool sameFile(const FileLook& other) const
        {
            return exists == other.exists && device == other.device && inode == other.inode;
        }
        bool sameContent(const FileLook& other) const
        {
            return sameFile(other) && size == other.size && modified == other.modified;
        }
    };
    // The catalogue and the two files the engine keeps open beside it in
    // write-ahead-log mode: the log ("-wal") and its shared index ("-shm").
    // Looked at by name alone: a descriptor of the program's own opened and
    // closed on them would drop the engine's locks on the file.
    struct FileState
    {
        FileLook file;
        FileLook log;
        FileLook index;
    };
    enum class FileFault { None, Replaced, Changed, LogDeleted };

    static void useWriteAheadLog(const QSqlDatabase& db);
    QString damage(const QSqlDatabase& db, const QString& cut, bool knownSound) const;
    QString misorderedColumns(const QSqlDatabase& db) const;
    static FileLook lookAt(const QString& path);
    FileState lookNow() const;
    qint64 dataVersion();
    bool inLogMode();
    void lookAtFile();
    void checkFile();
    void requireSameFileNow();
    FileFault faultFrom(const FileState& now);
    QString faultDescription() const;

    // The cache key of a select: its text and the fields it reads. A move
    // looks up row after row with one statement, so the last key is kept.
    const QString& selectKey(const QString& sql, const QList<int>& fields);

    QHash<QString, QSqlQuery> m_statements;
    std::unordered_map<QString, std::shared_ptr<Select>> m_selects;
    QString m_lastSelectSql;
    QList<int> m_lastSelectFields;
    QString m_lastSelectKey;
    int m_actions = 0;

    QString m_name;
    QString m_path;
    // The file as the program last left it or saw others' commits leave it,
    // and the engine's count of others' commits then.
    FileState m_seen;
    qint64 m_seenVersion = 0;
    CheckedFile m_checked;
    FileFault m_fault = FileFault::None;
    QString m_faultPath;
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

// A result set over one query, read forward one row at a time as the caller
// moves on, so that a walk over many rows holds one of them; a row can be added
// or the current row changed and written back at once with Update. The query
// is finished as soon as its last row is read, so that a result set left open
// holds nothing of the file.
class Recordset
{
public:
    Recordset() = default;
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // Runs `sql` with its `?` placeholders bound to `params`, positioned on the
    // first row. `fields` names the only fields the caller reads (all when
    // empty); reading another one then throws 3265. Throws 3705 when already
    // open, or the engine's error (and stays closed) when the query cannot run.
    void Open(const QString& sql, const QVariantList& params = {}, Connection* connection = nullptr,
              const QList<int>& fields = {});
    // Throws 3704 when already closed. A pending edit is discarded.
    void Close();
    bool isOpen() const { return m_open; }

    // True past the last row, and at once for an empty result.
    bool Eof() const;
    // Back to the first row: the query runs again when the result set has moved.
    void MoveFirst();
    // On to the next row. A row the engine failed to read throws its error
    // here, and the result set is then past its end.
    void MoveNext();
    Field Fields(int index) { return Field(*this, index); }
    int fieldCount() const;

    // Starts a new, empty row that becomes the current row.
    void AddNew();
    // Writes the pending new row, or the changes to the current row, at once.
    // A row added becomes the current row, and the last one.
    void Update();
    // Drops a pending new row or pending changes.
    void CancelUpdate();

private:
    friend class Field;
    enum class EditMode { None, Edit, Add };

    // Records why the result set stays closed, so the caller's first access
    // can tell the user, and throws `error`.
    [[noreturn]] void failOpen(const RuntimeError& error);
    // Runs the query from its start; throws the engine's error.
    void run();
    // Takes the row the query stands on as the current row, and reads the next.
    void advance();
    // Finishes the query: nothing more is read.
    void release();
    void requireOpen() const;
    void requireCurrentRow() const;
    void checkIndex(int index) const;
    QVariant value(int index) const;
    void setValue(int index, const QVariant& value);
    void insertPending();
    void updateCurrent();
    const QString& updateText();

    Connection* m_connection = nullptr;
    QString m_sql;
    QVariantList m_params;
    QList<int> m_fields;
    std::shared_ptr<Connection::Select> m_select;
    QString m_table;
    QStringList m_columns;
    // The current row, one value per field; which of them were read.
    QVector<QVariant> m_row;
    QVector<bool> m_readable;
    qint64 m_rowid = -1;
    bool m_atRow = false;
    // The query stands on the row after the current one.
    bool m_ahead = false;
    // The engine's failure to read the row after the current one.
    QString m_readError;
    // How many times the result set moved on since the query ran.
    std::size_t m_position = 0;
    // The update statement for the columns changed last, kept for the next row.
    QString m_updateTable;
    QVector<bool> m_updateColumns;
    QString m_updateText;
    // The placeholders of the changed columns' values in that statement.
    QStringList m_updateMarks;
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

// Opens dbRecordset on `sql`, discarding whatever it held; `fields` as for
// Recordset::Open. Reports nothing: a query that cannot run leaves dbRecordset
// closed, and the caller meets the error at its first access.
void OpenRecordset(const QString& sql, const QVariantList& params = {}, const QList<int>& fields = {});

// True when the catalogue stores `text` and gives it back unchanged. A lone
// surrogate has no UTF-8 form, the database engine takes a leading U+FEFF or
// U+FFFE for a byte-order mark, and it reads U+FFFE and U+FFFF back as U+FFFD.
bool storesExactly(const QString& text);

} // namespace modMain
