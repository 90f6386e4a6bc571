#include "ChmReader.h"

#include "HelpReaderProtocol.h"

#include <dlfcn.h>

namespace {

using HelpReaderProtocol::Reply;
using HelpReaderProtocol::Request;

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

std::string reply(Reply code, std::string_view payload = {})
{
    return HelpReaderProtocol::encode(static_cast<std::uint8_t>(code), payload);
}

// chmlib takes C strings: a name with a NUL inside would name another file.
bool isCString(std::string_view text)
{
    return !text.empty() && text.find('\0') == std::string_view::npos;
}

} // namespace

struct ChmReader::Library
{
    void* handle = nullptr;
    OpenFunction open = nullptr;
    CloseFunction close = nullptr;
    ResolveFunction resolve = nullptr;
    RetrieveFunction retrieve = nullptr;

    explicit Library(const std::string& name) : handle(dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL))
    {
        if (!handle)
            return;
        open = reinterpret_cast<OpenFunction>(dlsym(handle, "chm_open"));
        close = reinterpret_cast<CloseFunction>(dlsym(handle, "chm_close"));
        resolve = reinterpret_cast<ResolveFunction>(dlsym(handle, "chm_resolve_object"));
        retrieve = reinterpret_cast<RetrieveFunction>(dlsym(handle, "chm_retrieve_object"));
    }
    ~Library()
    {
        if (handle)
            dlclose(handle);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool usable() const { return open && close && resolve && retrieve; }
};

ChmReader::ChmReader(std::string libraryName) : m_library(std::make_unique<Library>(libraryName)) {}

ChmReader::~ChmReader()
{
    close();
}

std::string ChmReader::answer(std::uint8_t kind, std::string_view payload)
{
    if (kind == static_cast<std::uint8_t>(Request::Open))
        return open(payload);
    if (kind == static_cast<std::uint8_t>(Request::Read))
        return read(payload);
    return reply(Reply::BadRequest);
}

std::string ChmReader::open(std::string_view fileName)
{
    close();
    if (!m_library->usable())
        return reply(Reply::LibraryUnavailable);
    if (!isCString(fileName))
        return reply(Reply::FileUnreadable);
    m_handle = m_library->open(std::string(fileName).c_str());
    return reply(m_handle ? Reply::Done : Reply::FileUnreadable);
}

std::string ChmReader::read(std::string_view path)
{
    if (!m_handle)
        return reply(Reply::FileUnreadable);
    if (!isCString(path) || path.size() > ChmMaxPathLen)
        return reply(Reply::NotFound);
    ChmUnitInfo info{};
    if (m_library->resolve(m_handle, std::string(path).c_str(), &info) != ChmResolveSuccess)
        return reply(Reply::NotFound);
    if (info.length > HelpReaderProtocol::MaxReplyPayload)
        return reply(Reply::FileUnreadable);
    std::string data(static_cast<std::size_t>(info.length), '\0');
    const LongInt64 got = m_library->retrieve(m_handle, &info, reinterpret_cast<unsigned char*>(data.data()), 0,
                                              static_cast<LongInt64>(info.length));
    if (got != static_cast<LongInt64>(info.length))
        return reply(Reply::FileUnreadable);
    return reply(Reply::Done, data);
}

void ChmReader::close()
{
    if (m_handle)
        m_library->close(m_handle);
    m_handle = nullptr;
}
