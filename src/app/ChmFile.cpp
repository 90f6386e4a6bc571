#include "ChmFile.h"

#include <QFile>

namespace {

// chmlib's own declarations (chm_lib.h, version 0.40), repeated here because the
// library is loaded at run time and its header is not needed to build.
using LongUInt64 = unsigned long long;
using LongInt64 = long long;
constexpr int ChmMaxPathLen = 512;
constexpr int ChmResolveSuccess = 0;

struct ChmUnitInfo
{
    LongUInt64 start;
    LongUInt64 length;
    int space;
    int flags;
    char path[ChmMaxPathLen + 1];
};

using OpenFunction = chmFile* (*)(const char*);
using CloseFunction = void (*)(chmFile*);
using ResolveFunction = int (*)(chmFile*, const char*, ChmUnitInfo*);
using RetrieveFunction = LongInt64 (*)(chmFile*, ChmUnitInfo*, unsigned char*, LongUInt64, LongInt64);

constexpr int ChmLibraryVersion = 1;
// Help pages and pictures are small; a larger length means a damaged archive.
constexpr LongUInt64 MaxObjectSize = 16 * 1024 * 1024;

QString& libraryNameSetting()
{
    static QString name = QStringLiteral("chm");
    return name;
}

} // namespace

struct ChmFile::Functions
{
    OpenFunction open = nullptr;
    CloseFunction close = nullptr;
    ResolveFunction resolve = nullptr;
    RetrieveFunction retrieve = nullptr;
};

void ChmHandleCloser::operator()(chmFile* handle) const
{
    if (close)
        close(handle);
}

ChmFile::ChmFile(const QString& fileName)
    : m_fileName(fileName), m_library(libraryNameSetting(), ChmLibraryVersion),
      m_functions(std::make_unique<Functions>())
{
    if (!loadFunctions())
        return;
    m_handle = std::unique_ptr<chmFile, ChmHandleCloser>(m_functions->open(QFile::encodeName(fileName).constData()),
                                                         ChmHandleCloser{m_functions->close});
    m_status = m_handle ? Status::Open : Status::FileUnreadable;
}

// The library stays loaded: other archives may still use it.
ChmFile::~ChmFile() = default;

bool ChmFile::loadFunctions()
{
    if (!m_library.load())
        return false;
    m_functions->open = reinterpret_cast<OpenFunction>(m_library.resolve("chm_open"));
    m_functions->close = reinterpret_cast<CloseFunction>(m_library.resolve("chm_close"));
    m_functions->resolve = reinterpret_cast<ResolveFunction>(m_library.resolve("chm_resolve_object"));
    m_functions->retrieve = reinterpret_cast<RetrieveFunction>(m_library.resolve("chm_retrieve_object"));
    return m_functions->open && m_functions->close && m_functions->resolve && m_functions->retrieve;
}

std::optional<QByteArray> ChmFile::read(const QString& path) const
{
    if (!m_handle)
        return std::nullopt;
    ChmUnitInfo info{};
    const QByteArray name = path.toUtf8();
    if (m_functions->resolve(m_handle.get(), name.constData(), &info) != ChmResolveSuccess)
        return std::nullopt;
    if (info.length > MaxObjectSize)
        return std::nullopt;
    QByteArray data(static_cast<qsizetype>(info.length), Qt::Uninitialized);
    const LongInt64 got = m_functions->retrieve(m_handle.get(), &info, reinterpret_cast<unsigned char*>(data.data()), 0,
                                                static_cast<LongInt64>(info.length));
    if (got != static_cast<LongInt64>(info.length))
        return std::nullopt;
    return data;
}

void ChmFile::setLibraryName(const QString& name)
{
    libraryNameSetting() = name;
}

QString ChmFile::libraryName()
{
    return libraryNameSetting();
}
