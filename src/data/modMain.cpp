#include "modMain.h"

#include "PlainErrors.h"
#include "RuntimeError.h"
#include "Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <tuple>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int RowNotLocated = -2147217864;

// The update's placeholder for the row id: its placeholders are named, as
// namePlaceholders tells why.
QString rowidMark()
{
    return QStringLiteral(":rowid");
}

bool isConstraintViolation(const QSqlError& error)
{
    const QString code = error.nativeErrorCode();
    return code == QLatin1String("19") || code == QLatin1String("2067") || code == QLatin1String("1555") ||
           error.databaseText().contains(QLatin1String("constraint failed"), Qt::CaseInsensitive);
}

RuntimeError engineError(const QSqlError& error)
{
    if (isConstraintViolation(error))
        return RuntimeError(ErrorNumber::DuplicateValue,
                            QStringLiteral("The changes you requested to the table were not successful because they "
                                           "would create duplicate values in the index, primary key, or relationship. "
                                           "(%1)")
                                .arg(error.databaseText()));
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return RuntimeError(ErrorNumber::ProviderError, text);
}

[[noreturn]] void raise(const QSqlError& error)
{
    throw engineError(error);
}

// The file always holds whole pages, and without a log beside it at least as
// many as its header counts; the engine's own check passes over a file cut
// short inside its last page.
QString truncation(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray header = file.read(32);
    if (header.size() < 32)
        return QStringLiteral("the file is shorter than its header");
    const auto byteAt = [&header](int i) { return quint64(quint8(header.at(i))); };
    const quint64 pageSize = (byteAt(16) << 8 | byteAt(17)) == 1 ? 65536 : (byteAt(16) << 8 | byteAt(17));
    const quint64 pages = byteAt(28) << 24 | byteAt(29) << 16 | byteAt(30) << 8 | byteAt(31);
    const quint64 size = quint64(file.size());
    if (pageSize < 512 || size % pageSize != 0)
        return QStringLiteral("the file does not end on a page boundary");
    if (!QFileInfo::exists(path + QStringLiteral("-wal")) && pages * pageSize > size)
        return QStringLiteral("the file is shorter than its header says");
    return QString();
}

// The engine's check of every page and index: "ok", or the first fault found.
QString quickCheck(QSqlQuery& query)
{
    if (query.exec(QStringLiteral("pragma quick_check(1)")) && query.next())
        return query.value(0).toString();
    return query.lastError().databaseText();
}

QString quoted(const QString& identifier)
{
    QString escaped = identifier;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

qsizetype skipSpaces(QStringView text, qsizetype pos)
{
    while (pos < text.size() && text.at(pos).isSpace())
        ++pos;
    return pos;
}

// Reads `word` at `pos`, ignoring case, and the one or more spaces after it.
bool readWord(QStringView text, qsizetype& pos, QLatin1String word)
{
    if (!text.mid(pos).startsWith(word, Qt::CaseInsensitive))
        return false;
    const qsizetype end = pos + word.size();
    const qsizetype next = skipSpaces(text, end);
    if (next == end)
        return false;
    pos = next;
    return true;
}

bool isIdentifierChar(QChar c, bool first)
{
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || (!first && u >= '0' && u <= '9');
}

// Every query of the program selects all columns of one table. Such a query is
// run with the row id in front, so that a changed row can be written back.
// A hand-written scan: the regular-expression engine would be loaded and
// compiled at start-up for this alone.
bool splitSelectAll(const QString& sql, QString& table, QString& rest)
{
    const QStringView text(sql);
    qsizetype pos = skipSpaces(text, 0);
    if (!readWord(text, pos, QLatin1String("select")) || !readWord(text, pos, QLatin1String("*")) ||
        !readWord(text, pos, QLatin1String("from")))
        return false;
    const qsizetype start = pos;
    while (pos < text.size() && isIdentifierChar(text.at(pos), pos == start))
        ++pos;
    if (pos == start)
        return false;
    table = text.mid(start, pos - start).toString();
    rest = text.mid(pos).toString();
    return true;
}

// Renames the `?` placeholders of `text` :p0, :p1 and so on, in turn, and
// lists those names in `marks`: Qt binds a value to a name with one lookup,
// while a value bound by position costs it a name built anew each time. Leaves
// `text` as it is and returns false when it marks parameters any other way or
// holds a comment, which a plain scan could misread.
bool namePlaceholders(QString& text, QStringList& marks)
{
    QString named;
    QStringList names;
    char16_t quote = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        const char16_t next = i + 1 < text.size() ? text.at(i + 1).unicode() : 0;
        if (quote) {
            quote = c == quote ? 0 : quote;
        } else if (c == '\'' || c == '"' || c == '`') {
            quote = c;
        } else if (c == '[') {
            quote = ']';
        } else if (c == ':' || c == '@' || c == '$' || (c == '-' && next == '-') || (c == '/' && next == '*') ||
                   (c == '?' && next >= '0' && next <= '9')) {
            return false;
        } else if (c == '?') {
            names << QStringLiteral(":p%1").arg(names.size());
            named += names.last();
            continue;
        }
        named += QChar(c);
    }
    if (quote)
        return false;
    text = named;
    marks = names;
    return true;
}

} // namespace

// ---- Connection -----------------------------------------------------------

void Connection::Open()
{
    using PlainErrors::StartupFault;
    Close();
    const QFileInfo file(ConnectionString);
    const QString path = file.absoluteFilePath();
    if (!file.exists())
        throw PlainErrors::startupError(StartupFault::Missing, path);
    if (!file.isFile())
        throw PlainErrors::startupError(StartupFault::NotAFile, path);
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0 && errno == EACCES)
        throw PlainErrors::startupError(StartupFault::NoPermission, path);

    // Read before the engine opens the file, and reported where the engine's
    // own check is: closing a second descriptor on the file once the engine
    // holds it would drop the engine's locks on it for the whole process.
    const QString cut = truncation(path);
    // Looked at before the engine opens the file and may fold a log into it.
    const bool knownSound = m_checked.unchanged(path);

    static int serial = 0;
    m_name = QStringLiteral("quantaro-%1").arg(++serial);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // mode=rw opens an existing file only: a missing catalogue is an error, never a new empty file.
    db.setDatabaseName(QUrl::fromLocalFile(file.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?mode=rw"));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=3000"));
    if (!db.open()) {
        const QSqlError error = db.lastError();
        db = QSqlDatabase();
        Close();
        throw PlainErrors::startupError(PlainErrors::faultOf(error), path, error.databaseText());
    }

    // SQLite reads the file lazily; look at it now so that a damaged file or a
    // file without the catalogue fails here, before any window shows.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("select name from sqlite_master where type = 'table'"))) {
        const QSqlError error = query.lastError();
        query = QSqlQuery();
        db = QSqlDatabase();
        Close();
        throw PlainErrors::startupError(PlainErrors::faultOf(error), path, error.databaseText());
    }
    QStringList present;
    while (query.next())
        present << query.value(0).toString();
    query = QSqlQuery();
    for (const QString& table : Schema::tables()) {
        if (!present.contains(table, Qt::CaseInsensitive)) {
            Close();
            throw PlainErrors::startupError(StartupFault::NotACatalogue, path,
                                            QStringLiteral("it has no table %1").arg(table));
        }
    }
    // A file unchanged since it was found sound still has the columns it had then.
    const QString misordered = knownSound ? QString() : misorderedColumns(db);
    for (const auto& [fault, found] : {std::pair{StartupFault::Damaged, damage(db, cut, knownSound)},
                                       std::pair{StartupFault::NotACatalogue, misordered}}) {
        if (!found.isEmpty()) {
            Close();
            throw PlainErrors::startupError(fault, path, found);
        }
    }
    m_path = path;
    useWriteAheadLog(db);
    lookAtFile();
    // After the switch to the log, which writes the file once.
    if (!knownSound)
        m_checked.remember(path);
}

// A damaged file would show wrong lists and take changes into pages that are
// already broken. Returns the first fault found, or nothing.
QString Connection::damage(const QSqlDatabase& db, const QString& cut, bool knownSound) const
{
    if (!cut.isEmpty())
        return cut;
    if (knownSound)
        return QString();
    QSqlQuery query(db);
    const QString verdict = quickCheck(query);
    return verdict == QLatin1String("ok") ? QString() : verdict;
}

// A table whose columns moved would be read by the wrong positions. Returns
// which table is out of order, or nothing.
QString Connection::misorderedColumns(const QSqlDatabase& db) const
{
    QSqlQuery query(db);
    for (const QString& table : Schema::tables()) {
        QStringList found;
        if (query.exec(QStringLiteral("pragma table_info(%1)").arg(quoted(table))))
            while (query.next())
                found << query.value(1).toString();
        const QStringList designed = Schema::columns(table);
        bool inOrder = found.size() >= designed.size();
        for (int i = 0; inOrder && i < designed.size(); ++i)
            inOrder = found.at(i).compare(designed.at(i), Qt::CaseInsensitive) == 0;
        if (!inOrder)
            return QStringLiteral("its table %1 has the columns %2, where %3 must come first, in this order")
                .arg(table, found.join(QStringLiteral(", ")), designed.join(QStringLiteral(", ")));
    }
    return QString();
}

// Every change is committed on its own, one row at a time. In write-ahead-log
// mode a commit is appended to the log beside the file without waiting for the
// disk, and is whole in the catalogue as soon as it returns, also when the
// program is killed; the log is folded into the file at checkpoints and taken
// in by the next open if the program never got to it. A file that cannot be
// written refuses the change and simply keeps its own mode.
// The log is folded in by saveToFile alone, never by a commit: so the file
// itself changes only there, and a change to it at any other moment is another
// program's. Each fold empties the log, which other connections notice as a
// change of the data version.
void Connection::useWriteAheadLog(const QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (query.exec(QStringLiteral("pragma journal_mode = wal")) && query.next() &&
        query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0) {
        query.exec(QStringLiteral("pragma synchronous = normal"));
        query.exec(QStringLiteral("pragma wal_autocheckpoint = 0"));
    }
}

void Connection::saveToFile()
{
    if (!m_unsaved || m_name.isEmpty())
        return;
    checkFile();
    // With the log deleted, the engine still holds it open and folds it into
    // the file, unless the file changed since.
    if (m_fault == FileFault::Replaced || m_fault == FileFault::Changed ||
        (m_fault == FileFault::LogDeleted && !lookAt(m_path).sameContent(m_seen.file)))
        return;
    QSqlQuery query(database());
    // The first column is 1 when a reader kept the log from being folded in whole.
    if (query.exec(QStringLiteral("pragma wal_checkpoint(truncate)")) && query.next() && query.value(0).toInt() == 0)
        m_unsaved = false;
    query = QSqlQuery();
    if (m_fault == FileFault::None)
        lookAtFile();
}

void Connection::Close()
{
    if (m_name.isEmpty())
        return;
    m_unsaved = false;
    m_fault = FileFault::None;
    m_statements.clear();
    m_selects.clear();
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
    m_name.clear();
}

bool Connection::isOpen() const
{
    return !m_name.isEmpty() && QSqlDatabase::database(m_name, false).isOpen();
}

QSqlDatabase Connection::database() const
{
    if (m_name.isEmpty())
        throw RuntimeError(ErrorNumber::ObjectClosed,
                           QStringLiteral("Operation is not allowed when the object is closed."));
    return QSqlDatabase::database(m_name, false);
}

QSqlQuery& Connection::prepared(const QString& sql)
{
    // The program's statements are a handful of fixed texts; a caller building
    // texts of its own must not make the cache grow without end.
    constexpr int MaxStatements = 64;
    auto found = m_statements.find(sql);
    if (found != m_statements.end())
        return *found;
    if (m_statements.size() >= MaxStatements)
        m_statements.clear();
    QSqlQuery query(database());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        raise(query.lastError());
    return *m_statements.insert(sql, query);
}

const QString& Connection::selectKey(const QString& sql, const QList<int>& fields)
{
    if (!m_lastSelectKey.isEmpty() && sql == m_lastSelectSql && fields == m_lastSelectFields)
        return m_lastSelectKey;
    QString key = sql;
    for (const int field : fields)
        key += QLatin1Char('\n') + QString::number(field);
    m_lastSelectSql = sql;
    m_lastSelectFields = fields;
    m_lastSelectKey = key;
    return m_lastSelectKey;
}

std::shared_ptr<Connection::Select> Connection::preparedSelect(const QString& sql, const QList<int>& fields)
{
    const QString key = selectKey(sql, fields);
    const auto found = m_selects.find(key);
    // A result set walking the kept statement holds the other reference.
    if (found != m_selects.end() && found->second.use_count() == 1)
        return found->second;

    auto select = std::make_shared<Select>();
    QString rest;
    const bool writable = splitSelectAll(sql, select->table, rest);
    if (!writable)
        select->table.clear();
    // The file's tables hold the designed columns first and in order, so those
    // can be selected by name.
    const QStringList designed = writable ? Schema::columns(select->table) : QStringList();
    const bool narrowed = !fields.isEmpty() && !designed.isEmpty() &&
                          std::all_of(fields.begin(), fields.end(),
                                      [&designed](int field) { return field >= 0 && field < designed.size(); });
    QString text = sql;
    if (writable && !namePlaceholders(rest, select->paramMarks))
        select->paramMarks.clear();
    if (narrowed) {
        QStringList names;
        select->columns = designed;
        select->sources.assign(std::size_t(designed.size()), -1);
        for (const int field : fields) {
            if (select->sources[std::size_t(field)] >= 0)
                continue;
            select->sources[std::size_t(field)] = int(names.size()) + 1;
            names << quoted(designed.at(field));
        }
        text = QStringLiteral("select rowid, ") + names.join(QLatin1Char(',')) + QStringLiteral(" from ") +
               select->table + rest;
    } else if (writable) {
        text = QStringLiteral("select rowid, * from ") + select->table + rest;
    }
    select->query = QSqlQuery(database());
    select->query.setForwardOnly(true);
    if (!select->query.prepare(text))
        raise(select->query.lastError());
    if (found != m_selects.end())
        return select;
    constexpr std::size_t MaxSelects = 64;
    if (m_selects.size() >= MaxSelects)
        m_selects.clear();
    m_selects.emplace(key, select);
    return select;
}

Connection::Action::Action(Connection& connection) : m_connection(connection)
{
    if (m_connection.m_actions == 0 && !m_connection.m_name.isEmpty())
        m_connection.checkFile();
    ++m_connection.m_actions;
}

Connection::Action::~Action()
{
    --m_connection.m_actions;
}

Connection::FileLook Connection::lookAt(const QString& path)
{
    FileLook look;
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return look;
    look.exists = true;
    look.device = quint64(info.st_dev);
    look.inode = quint64(info.st_ino);
    look.size = qint64(info.st_size);
    look.modified = qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return look;
}

Connection::FileState Connection::lookNow() const
{
    return {lookAt(m_path), lookAt(m_path + QStringLiteral("-wal")), lookAt(m_path + QStringLiteral("-shm"))};
}

// Changes when another connection committed, or emptied the log by folding it in.
qint64 Connection::dataVersion()
{
    QSqlQuery& query = prepared(QStringLiteral("pragma data_version"));
    const auto done = qScopeGuard([&query] { query.finish(); });
    return query.exec() && query.next() ? query.value(0).toLongLong() : -1;
}

bool Connection::inLogMode()
{
    QSqlQuery& query = prepared(QStringLiteral("pragma journal_mode"));
    const auto done = qScopeGuard([&query] { query.finish(); });
    return query.exec() && query.next() &&
           query.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
}

void Connection::lookAtFile()
{
    m_seen = lookNow();
    m_seenVersion = dataVersion();
}

// Looks at the file by name, and once a change is found keeps it: the pages the
// engine holds no longer match the file, and nothing more may be read or written.
void Connection::checkFile()
{
    if (m_fault != FileFault::None)
        return;
    const FileState now = lookNow();
    if (now.file.sameContent(m_seen.file) && now.log.sameFile(m_seen.log) && now.index.sameFile(m_seen.index))
        return;
    m_fault = faultFrom(now);
    if (m_fault == FileFault::None)
        m_seen = now;
}

Connection::FileFault Connection::faultFrom(const FileState& now)
{
    if (!now.file.sameFile(m_seen.file))
        return FileFault::Replaced;
    // Without the log every commit writes the file itself, and the engine
    // notices another program's commit by the change counter in its header.
    if (!inLogMode())
        return FileFault::None;
    if (!now.file.sameContent(m_seen.file)) {
        // Another connection's checkpoint writes the file after its commit,
        // which changes the data version; one that a reader kept from emptying
        // the log leaves the version as it was, and needs a log to fold in.
        const qint64 version = dataVersion();
        const bool folded = version != m_seenVersion || (m_seen.log.size > 0 && now.file.size >= m_seen.file.size);
        if (!folded)
            return FileFault::Changed;
        m_seenVersion = version;
        m_seen.file = now.file;
    }
    for (const auto& [was, is, suffix] :
         {std::tuple{m_seen.log, now.log, "-wal"}, std::tuple{m_seen.index, now.index, "-shm"}}) {
        if (was.exists && !is.sameFile(was)) {
            m_faultPath = m_path + QLatin1String(suffix);
            return FileFault::LogDeleted;
        }
    }
    return FileFault::None;
}

QString Connection::faultDescription() const
{
    switch (m_fault) {
    case FileFault::Replaced:
        return PlainErrors::fileReplacedWhileRunning(m_path);
    case FileFault::Changed:
        return PlainErrors::fileChangedWhileRunning(m_path);
    case FileFault::LogDeleted:
        return PlainErrors::logDeletedWhileRunning(m_path, m_faultPath);
    case FileFault::None:
        break;
    }
    return QString();
}

void Connection::requireSameFile()
{
    // Inside an action the file was looked at as it began.
    if (m_actions == 0)
        requireSameFileNow();
    else if (m_fault != FileFault::None)
        throw RuntimeError(ErrorNumber::ProviderError, faultDescription());
}

void Connection::requireSameFileNow()
{
    // A closed connection reports itself at its first use.
    if (m_name.isEmpty())
        return;
    checkFile();
    if (m_fault != FileFault::None)
        throw RuntimeError(ErrorNumber::ProviderError, faultDescription());
}

void Connection::BeginTrans()
{
    QSqlDatabase db = database();
    if (!db.transaction())
        raise(db.lastError());
}

void Connection::CommitTrans()
{
    // The commit is what tells the user the change is stored: the file is
    // looked at again, inside an action too.
    requireSameFileNow();
    QSqlDatabase db = database();
    if (!db.commit())
        raise(db.lastError());
    noteChange();
    // Changed in the instant before the commit: it stays in the log, which is
    // not folded into a changed file, so it is not reported as stored.
    requireSameFileNow();
}

void Connection::RollbackTrans()
{
    QSqlDatabase db = database();
    if (!db.rollback())
        raise(db.lastError());
}

// ---- Field ----------------------------------------------------------------

QVariant Field::Value() const
{
    return m_owner.value(m_index);
}

void Field::setValue(const QVariant& value)
{
    m_owner.setValue(m_index, value);
}

// ---- Recordset ------------------------------------------------------------

Recordset::~Recordset()
{
    release();
}

void Recordset::Open(const QString& sql, const QVariantList& params, Connection* connection, const QList<int>& fields)
{
    if (m_open)
        throw RuntimeError(ErrorNumber::ObjectOpen,
                           QStringLiteral("Operation is not allowed when the object is open."));
    if (connection)
        m_connection = connection;
    if (!m_connection)
        m_connection = &modMain::dbConnection;
    m_sql = sql;
    m_params = params;
    m_fields = fields;
    try {
        run();
    } catch (const RuntimeError& error) {
        failOpen(error);
    }
    m_closedReason.clear();
    m_editMode = EditMode::None;
    m_open = true;
}

void Recordset::run()
{
    release();
    m_connection->requireSameFile();
    m_select = m_connection->preparedSelect(m_sql, m_fields);
    QSqlQuery& query = m_select->query;
    const QStringList& marks = m_select->paramMarks;
    for (int i = 0; i < m_params.size(); ++i) {
        if (marks.size() == m_params.size())
            query.bindValue(marks.at(i), m_params.at(i));
        else
            query.bindValue(i, m_params.at(i));
    }
    if (!query.exec()) {
        const QSqlError error = query.lastError();
        release();
        raise(error);
    }
    const int first = m_select->table.isEmpty() ? 0 : 1;
    if (m_select->sources.empty()) {
        const QSqlRecord record = query.record();
        for (int i = first; i < record.count(); ++i) {
            m_select->columns << record.fieldName(i);
            m_select->sources.push_back(i);
        }
    }
    m_table = m_select->table;
    m_columns = m_select->columns;
    // A move opens one result set per row: the vectors keep their memory.
    m_readable.resize(m_columns.size());
    for (int i = 0; i < m_columns.size(); ++i)
        m_readable[i] = m_select->sources[std::size_t(i)] >= 0;
    m_row.fill(QVariant(), m_columns.size());
    m_position = 0;
    m_readError.clear();
    m_ahead = query.next();
    if (!m_ahead && query.lastError().isValid()) {
        const QSqlError error = query.lastError();
        release();
        raise(error);
    }
    advance();
}

void Recordset::advance()
{
    m_atRow = m_ahead;
    if (!m_ahead) {
        release();
        return;
    }
    QSqlQuery& query = m_select->query;
    const std::vector<int>& sources = m_select->sources;
    m_rowid = m_table.isEmpty() ? -1 : query.value(0).toLongLong();
    for (int i = 0; i < m_row.size(); ++i) {
        if (sources[std::size_t(i)] >= 0)
            m_row[i] = query.value(sources[std::size_t(i)]);
    }
    // Reading on at once tells Eof without waiting, and lets the last row go
    // with the statement finished.
    m_ahead = query.next();
    if (!m_ahead) {
        if (query.lastError().isValid())
            m_readError = engineError(query.lastError()).description();
        release();
    }
}

void Recordset::release()
{
    m_ahead = false;
    if (!m_select)
        return;
    m_select->query.finish();
    m_select.reset();
}

void Recordset::Close()
{
    requireOpen();
    release();
    m_open = false;
    m_closedReason.clear();
    m_row.clear();
    m_readable.clear();
    m_atRow = false;
    m_columns.clear();
    m_table.clear();
    m_position = 0;
    m_editMode = EditMode::None;
}

bool Recordset::Eof() const
{
    requireOpen();
    return m_editMode != EditMode::Add && !m_atRow;
}

void Recordset::MoveFirst()
{
    requireOpen();
    if (m_editMode != EditMode::None)
        Update();
    if (m_position > 0)
        run();
    if (!m_atRow)
        throw RuntimeError(ErrorNumber::NoCurrentRecord,
                           QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                          "Requested operation requires a current record."));
}

void Recordset::MoveNext()
{
    requireOpen();
    if (m_editMode != EditMode::None)
        Update();
    requireCurrentRow();
    ++m_position;
    if (!m_readError.isEmpty()) {
        m_atRow = false;
        throw RuntimeError(ErrorNumber::ProviderError, std::exchange(m_readError, QString()));
    }
    advance();
}

int Recordset::fieldCount() const
{
    requireOpen();
    return m_columns.size();
}

void Recordset::AddNew()
{
    requireOpen();
    if (m_table.isEmpty())
        throw RuntimeError(ErrorNumber::ProviderError, QStringLiteral("The result set cannot be updated."));
    m_editMode = EditMode::Add;
    m_pending = QVector<QVariant>(m_columns.size());
    m_changed = QVector<bool>(m_columns.size(), false);
}

void Recordset::Update()
{
    requireOpen();
    const EditMode mode = m_editMode;
    if (mode == EditMode::None)
        return;
    try {
        if (mode == EditMode::Add)
            insertPending();
        else
            updateCurrent();
    } catch (...) {
        // A write the database refused is not carried into the next one.
        CancelUpdate();
        throw;
    }
    m_editMode = EditMode::None;
}

void Recordset::CancelUpdate()
{
    m_editMode = EditMode::None;
    m_pending.clear();
    m_changed.clear();
}

void Recordset::failOpen(const RuntimeError& error)
{
    m_closedReason = error.description();
    throw error;
}

void Recordset::requireOpen() const
{
    if (m_open)
        return;
    QString text = QStringLiteral("Operation is not allowed when the object is closed.");
    if (!m_closedReason.isEmpty())
        text += QStringLiteral(" The query that was to open it failed: ") + m_closedReason;
    throw RuntimeError(ErrorNumber::ObjectClosed, text);
}

void Recordset::requireCurrentRow() const
{
    if (!m_atRow)
        throw RuntimeError(ErrorNumber::NoCurrentRecord,
                           QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                          "Requested operation requires a current record."));
}

void Recordset::checkIndex(int index) const
{
    if (index < 0 || index >= m_columns.size())
        throw RuntimeError(ErrorNumber::ItemNotFound,
                           QStringLiteral("Item cannot be found in the collection corresponding to the requested name "
                                          "or ordinal."));
}

QVariant Recordset::value(int index) const
{
    requireOpen();
    checkIndex(index);
    if (m_editMode == EditMode::Add || (m_editMode == EditMode::Edit && m_changed.at(index)))
        return m_pending.at(index);
    requireCurrentRow();
    if (!m_readable.at(index))
        throw RuntimeError(ErrorNumber::ItemNotFound,
                           QStringLiteral("The field %1 (%2) was not read: the result set was opened for other "
                                          "fields only.")
                               .arg(index)
                               .arg(m_columns.at(index)));
    return m_row.at(index);
}

void Recordset::setValue(int index, const QVariant& value)
{
    requireOpen();
    checkIndex(index);
    if (m_editMode == EditMode::None) {
        requireCurrentRow();
        if (m_table.isEmpty())
            throw RuntimeError(ErrorNumber::ProviderError, QStringLiteral("The result set cannot be updated."));
        m_editMode = EditMode::Edit;
        m_pending = m_row;
        m_changed = QVector<bool>(m_columns.size(), false);
    }
    m_pending[index] = value;
    m_changed[index] = true;
}

void Recordset::insertPending()
{
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (!m_changed.at(i))
            continue;
        names << quoted(m_columns.at(i));
        marks << QStringLiteral("?");
        values << m_pending.at(i);
    }
    const QString sql = names.isEmpty()
                            ? QStringLiteral("insert into %1 default values").arg(quoted(m_table))
                            : QStringLiteral("insert into %1 (%2) values (%3)")
                                  .arg(quoted(m_table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    m_connection->requireSameFile();
    QSqlQuery& query = m_connection->prepared(sql);
    const auto done = qScopeGuard([&query] { query.finish(); });
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values.at(i));
    if (!query.exec())
        raise(query.lastError());
    m_connection->noteChange();

    // The row added is the current row and the last: rows not read yet are dropped.
    release();
    m_rowid = query.lastInsertId().toLongLong();
    m_row = m_pending;
    m_readable = QVector<bool>(m_columns.size(), true);
    m_atRow = true;
    ++m_position;
}

// The statement that writes the changed columns of one row. A move writes the
// same column of row after row, so the text is built once for all of them.
const QString& Recordset::updateText()
{
    if (m_table == m_updateTable && m_changed == m_updateColumns)
        return m_updateText;
    QStringList assignments;
    m_updateMarks.clear();
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_changed.at(i)) {
            const QString mark = QStringLiteral(":v%1").arg(i);
            assignments << quoted(m_columns.at(i)) + QStringLiteral(" = ") + mark;
            m_updateMarks << mark;
        }
    }
    m_updateTable = m_table;
    m_updateColumns = m_changed;
    m_updateText = assignments.isEmpty()
                       ? QString()
                       : QStringLiteral("update %1 set %2 where rowid = %3")
                             .arg(quoted(m_table), assignments.join(QStringLiteral(", ")), rowidMark());
    return m_updateText;
}

void Recordset::updateCurrent()
{
    const QString& sql = updateText();
    if (sql.isEmpty())
        return;
    m_connection->requireSameFile();
    QSqlQuery& query = m_connection->prepared(sql);
    const auto done = qScopeGuard([&query] { query.finish(); });
    int bound = 0;
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_changed.at(i))
            query.bindValue(m_updateMarks.at(bound++), m_pending.at(i));
    }
    query.bindValue(rowidMark(), m_rowid);
    if (!query.exec())
        raise(query.lastError());
    m_connection->noteChange();
    if (query.numRowsAffected() == 0)
        throw RuntimeError(RowNotLocated, QStringLiteral("Row cannot be located for updating. Some values may have "
                                                         "been changed since it was last read."));
    for (int i = 0; i < m_columns.size(); ++i) {
        if (m_changed.at(i)) {
            m_row[i] = m_pending.at(i);
            m_readable[i] = true;
        }
    }
}

// ---- modMain --------------------------------------------------------------

namespace modMain {

void OpenRecordset(const QString& sql, const QVariantList& params, const QList<int>& fields)
{
    // Still open on an earlier query: closed first, as the failed open would
    // have it closed and tried again, without raising that error row after row.
    if (dbRecordset.isOpen())
        dbRecordset.Close();
    try {
        dbRecordset.Open(sql, params, &dbConnection, fields);
    } catch (const RuntimeError& error) {
        if (error.number() != ErrorNumber::ObjectOpen)
            return;
        // Still open on an earlier query: close it and try once more.
        try {
            dbRecordset.Close();
            dbRecordset.Open(sql, params, &dbConnection, fields);
        } catch (const RuntimeError&) {
        }
    }
}

bool storesExactly(const QString& text)
{
    if (text.startsWith(QChar(0xFEFF)) || text.contains(QChar(0xFFFE)) || text.contains(QChar(0xFFFF)))
        return false;
    return QStringView(text).isValidUtf16();
}

} // namespace modMain
