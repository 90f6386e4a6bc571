#pragma once

#include <QByteArray>
#include <QLibrary>
#include <QString>

#include <memory>
#include <optional>

// chmlib's archive handle; opaque to its users.
struct chmFile;

// Closes a chmlib archive handle through the function loaded from chmlib.
struct ChmHandleCloser
{
    void (*close)(chmFile*) = nullptr;
    void operator()(chmFile* handle) const;
};

// Reads the files stored in a compiled HTML Help archive (TSHelp.chm) through
// chmlib. The library is loaded at run time, so the program starts and runs
// without it and only help becomes unavailable.
class ChmFile
{
public:
    enum class Status {
        Open,               // the archive is open and its files can be read
        LibraryUnavailable, // chmlib or one of its functions could not be loaded
        FileUnreadable,     // the archive is missing, unreadable or not a CHM archive
    };

    // Loads chmlib and opens the archive at `fileName`; status() tells the outcome.
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

    // The name chmlib is loaded under ("chm", major version 1, by default).
    // Tests set a name that does not exist to see help fail to start.
    static void setLibraryName(const QString& name);
    static QString libraryName();

private:
    struct Functions;

    bool loadFunctions();

    QString m_fileName;
    QLibrary m_library;
    std::unique_ptr<Functions> m_functions;
    std::unique_ptr<chmFile, ChmHandleCloser> m_handle;
    Status m_status = Status::LibraryUnavailable;
};
