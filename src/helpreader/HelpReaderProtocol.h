#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The messages between the program and its help reader (quantaro-helpreader),
// which reads the help archive in a process of its own so that a damaged file
// cannot bring the program down. Every message, either way, is one kind byte,
// the payload's length as four bytes (least significant first) and the payload.
namespace HelpReaderProtocol {

// What the program asks: open the archive whose file name is the payload, or
// read the file inside the open archive whose path (such as "/TSHelp.htm") is the payload.
enum class Request : std::uint8_t {
    Open = 'O',
    Read = 'R',
};

// What the reader answers. Only Done carries a payload: the file read, or
// nothing for an archive opened.
enum class Reply : std::uint8_t {
    Done = 0,
    NotFound = 1,           // the archive has no such file
    LibraryUnavailable = 2, // chmlib or one of its functions could not be loaded
    FileUnreadable = 3,     // the archive is missing, not a CHM archive, or the file in it is damaged
    BadRequest = 4,         // the request was not one the reader knows
};

constexpr std::size_t HeaderSize = 5;
// File names and paths are short; anything longer is not a request.
constexpr std::uint32_t MaxRequestPayload = 4096;
// Help pages and pictures are small; a longer reply is a damaged archive or a broken reader.
constexpr std::uint32_t MaxReplyPayload = 16 * 1024 * 1024;

std::string encode(std::uint8_t kind, std::string_view payload);

enum class State {
    Incomplete, // more bytes are needed
    Malformed,  // no valid message starts here; the stream cannot be trusted any more
    Complete,
};

// The first message of a byte stream: where its payload lies and how many bytes it took.
struct Parsed
{
    State state = State::Incomplete;
    std::uint8_t kind = 0;
    std::size_t payloadSize = 0; // the payload starts at HeaderSize
    std::size_t consumed = 0;
};

// A header that breaks the rules is Malformed at once, before its payload
// arrives, so that a broken peer is never waited for or buffered without end.
Parsed parseRequest(std::string_view bytes);
Parsed parseReply(std::string_view bytes);

} // namespace HelpReaderProtocol
