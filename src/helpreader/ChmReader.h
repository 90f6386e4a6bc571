#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct chmFile;

// The reader's side of the help: answers the program's requests (see
// HelpReaderProtocol.h) from one compiled HTML Help archive through chmlib,
// which is loaded at run time so that a system without it still gets an answer.
class ChmReader
{
public:
    // `libraryName` is the file chmlib is loaded from, such as "libchm.so.1".
    explicit ChmReader(std::string libraryName);
    ~ChmReader();
    ChmReader(const ChmReader&) = delete;
    ChmReader& operator=(const ChmReader&) = delete;

    // The whole reply message (header and payload) to one request.
    std::string answer(std::uint8_t kind, std::string_view payload);

private:
    struct Library;

    std::string open(std::string_view fileName);
    std::string read(std::string_view path);
    void close();

    std::unique_ptr<Library> m_library;
    chmFile* m_handle = nullptr;
};
