#include "ChmFile.h"

#include "helpreader/HelpReaderProtocol.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>

namespace {

using HelpReaderProtocol::Reply;
using HelpReaderProtocol::Request;

constexpr int ChmLibraryVersion = 1;
constexpr auto ReaderName = "quantaro-helpreader";
// A reader that failed this many requests in a row is not started again for
// this archive: a file that crashes or hangs it would do so on every page.
constexpr int MaxFailuresInARow = 2;
// Time enough for a loaded machine to start the reader and read a page; a
// damaged archive that hangs chmlib costs the user no more than this.
constexpr int DefaultRequestTimeout = 3000;

struct Settings
{
    QString libraryName = QStringLiteral("chm");
    QString readerProgram;
    int requestTimeout = DefaultRequestTimeout;
};

Settings& settings()
{
    static Settings values;
    return values;
}

// The file name dlopen finds chmlib under, as in "libchm.so.1".
QString librarySoname()
{
    return QStringLiteral("lib%1.so.%2").arg(settings().libraryName).arg(ChmLibraryVersion);
}

QString readerPath()
{
    const QString& program = settings().readerProgram;
    return program.isEmpty() ? QCoreApplication::applicationDirPath() + QLatin1Char('/') + QLatin1String(ReaderName)
                             : program;
}

quint8 code(Reply reply)
{
    return static_cast<quint8>(reply);
}

} // namespace

ChmFile::ChmFile(const QString& fileName) : m_fileName(fileName)
{
    if (!startReader())
        return;
    const std::optional<Answer> opened = exchange(char(Request::Open), QFile::encodeName(fileName));
    // No answer means the archive crashed or hung the reader on opening: it is damaged.
    const quint8 answer = opened ? opened->code : code(Reply::FileUnreadable);
    if (answer == code(Reply::Done))
        m_status = Status::Open;
    else if (answer == code(Reply::LibraryUnavailable))
        m_status = Status::LibraryUnavailable;
    else
        m_status = Status::FileUnreadable;
    if (!isOpen())
        stopReader();
}

ChmFile::~ChmFile()
{
    stopReader();
}

std::optional<QByteArray> ChmFile::read(const QString& path) const
{
    if (!isOpen() || m_failuresInARow >= MaxFailuresInARow)
        return std::nullopt;
    if (!m_reader) {
        const bool restarted = startReader() && [this] {
            const std::optional<Answer> opened = exchange(char(Request::Open), QFile::encodeName(m_fileName));
            return opened && opened->code == code(Reply::Done);
        }();
        if (!restarted) {
            stopReader();
            ++m_failuresInARow;
            return std::nullopt;
        }
    }
    return readWithReader(path);
}

std::optional<QByteArray> ChmFile::readWithReader(const QString& path) const
{
    const std::optional<Answer> reply = exchange(char(Request::Read), path.toUtf8());
    if (!reply) {
        stopReader();
        ++m_failuresInARow;
        return std::nullopt;
    }
    m_failuresInARow = 0;
    if (reply->code != code(Reply::Done))
        return std::nullopt;
    return reply->payload;
}

bool ChmFile::startReader() const
{
    m_reader = std::make_unique<QProcess>();
    m_reader->setStandardErrorFile(QProcess::nullDevice());
    m_reader->start(readerPath(), {librarySoname()});
    if (m_reader->waitForStarted(settings().requestTimeout))
        return true;
    stopReader();
    return false;
}

// One request and its reply; nothing when the reader died, took too long, or
// answered with anything but one well-formed reply.
std::optional<ChmFile::Answer> ChmFile::exchange(char kind, const QByteArray& payload) const
{
    using namespace HelpReaderProtocol;
    const QDeadlineTimer deadline(settings().requestTimeout);
    const std::string request =
        encode(static_cast<quint8>(kind), std::string_view(payload.constData(), payload.size()));
    if (m_reader->write(request.data(), static_cast<qint64>(request.size())) != static_cast<qint64>(request.size()))
        return std::nullopt;
    QByteArray received;
    for (;;) {
        received += m_reader->readAllStandardOutput();
        const Parsed parsed = parseReply(std::string_view(received.constData(), received.size()));
        if (parsed.state == State::Malformed)
            return std::nullopt;
        if (parsed.state == State::Complete) {
            // One request, one reply: more than that is a reader gone wrong.
            if (parsed.consumed != static_cast<std::size_t>(received.size()))
                return std::nullopt;
            return Answer{parsed.kind, received.mid(HeaderSize)};
        }
        if (deadline.hasExpired() || m_reader->state() != QProcess::Running)
            return std::nullopt;
        m_reader->waitForReadyRead(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
    }
}

void ChmFile::stopReader() const
{
    if (!m_reader)
        return;
    if (m_reader->state() != QProcess::NotRunning) {
        m_reader->kill();
        m_reader->waitForFinished(settings().requestTimeout);
    }
    m_reader.reset();
}

qint64 ChmFile::readerProcessId() const
{
    return m_reader ? m_reader->processId() : 0;
}

void ChmFile::setLibraryName(const QString& name)
{
    settings().libraryName = name;
}

QString ChmFile::libraryName()
{
    return settings().libraryName;
}

void ChmFile::setReaderProgram(const QString& program)
{
    settings().readerProgram = program;
}

QString ChmFile::readerProgram()
{
    return readerPath();
}

void ChmFile::setRequestTimeout(int milliseconds)
{
    settings().requestTimeout = milliseconds;
}

int ChmFile::requestTimeout()
{
    return settings().requestTimeout;
}
