#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QProcess;

// Reads the files stored in a compiled HTML Help archive (TSHelp.chm). chmlib
// does the reading in the help reader quantaro-helpreader, a process of its own
// beside the executable, so that a damaged archive that crashes or hangs chmlib
// costs a page, never the program: a reader that dies, hangs past its time or
// answers nonsense is killed, the request fails, and the next request starts a
// new reader. chmlib is loaded at run time, so the program starts and runs
// without it and only help becomes unavailable.
class ChmFile
{
public:
    enum class Status {
        Open,               // the archive is open and its files can be read
        LibraryUnavailable, // chmlib or one of its functions could not be loaded
        FileUnreadable,     // the archive is missing, unreadable, not a CHM archive or crashed the reader
        ReaderUnavailable,  // the help reader could not be started
    };

    // Starts the reader and opens the archive at `fileName`; status() tells the outcome.
    explicit ChmFile(const QString& fileName);
    ~ChmFile();
    ChmFile(const ChmFile&) = delete;
    ChmFile& operator=(const ChmFile&) = delete;

    Status status() const { return m_status; }
    bool isOpen() const { return m_status == Status::Open; }
    QString fileName() const { return m_fileName; }

    // The contents of the file at `path` inside the archive (such as
    // "/TSHelp.htm"), or nothing when the archive lacks it or it cannot be read.
    std::optional<QByteArray> read(const QString& path) const;

    // The reader's process id while one runs, else 0; tests stop and kill it.
    qint64 readerProcessId() const;

    // The name chmlib is loaded under ("chm", major version 1, by default).
    // Tests set a name that does not exist to see help fail to start.
    static void setLibraryName(const QString& name);
    static QString libraryName();
    // The help reader's program; empty, the default, means quantaro-helpreader
    // beside the executable. Tests point it at readers that misbehave.
    static void setReaderProgram(const QString& program);
    static QString readerProgram();
    // How long one request may take, in milliseconds, starting the reader included.
    static void setRequestTimeout(int milliseconds);
    static int requestTimeout();

private:
    struct Answer
    {
        quint8 code;
        QByteArray payload;
    };

    bool startReader() const;
    std::optional<Answer> exchange(char kind, const QByteArray& payload) const;
    std::optional<QByteArray> readWithReader(const QString& path) const;
    void stopReader() const;

    QString m_fileName;
    // The reader is started again on demand by the const reads; it is not part of the archive's state.
    mutable std::unique_ptr<QProcess> m_reader;
    mutable int m_failuresInARow = 0;
    Status m_status = Status::ReaderUnavailable;
};
