#include "HelpReaderProtocol.h"

namespace HelpReaderProtocol {

namespace {

bool isRequest(std::uint8_t kind)
{
    return kind == static_cast<std::uint8_t>(Request::Open) || kind == static_cast<std::uint8_t>(Request::Read);
}

bool isReply(std::uint8_t kind)
{
    return kind <= static_cast<std::uint8_t>(Reply::BadRequest);
}

// Only a Done reply and requests carry a payload, each up to its own limit.
std::uint32_t payloadLimit(std::uint8_t kind, bool request)
{
    if (request)
        return MaxRequestPayload;
    return kind == static_cast<std::uint8_t>(Reply::Done) ? MaxReplyPayload : 0;
}

Parsed parse(std::string_view bytes, bool request)
{
    Parsed parsed;
    if (bytes.empty())
        return parsed;
    parsed.kind = static_cast<std::uint8_t>(bytes[0]);
    if (!(request ? isRequest(parsed.kind) : isReply(parsed.kind))) {
        parsed.state = State::Malformed;
        return parsed;
    }
    if (bytes.size() < HeaderSize)
        return parsed;
    std::uint32_t length = 0;
    for (std::size_t i = 0; i < 4; ++i)
        length |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[1 + i])) << (8 * i);
    if (length > payloadLimit(parsed.kind, request)) {
        parsed.state = State::Malformed;
        return parsed;
    }
    if (bytes.size() - HeaderSize < length)
        return parsed;
    parsed.state = State::Complete;
    parsed.payloadSize = length;
    parsed.consumed = HeaderSize + length;
    return parsed;
}

} // namespace

std::string encode(std::uint8_t kind, std::string_view payload)
{
    std::string message(HeaderSize, '\0');
    message[0] = static_cast<char>(kind);
    const auto length = static_cast<std::uint32_t>(payload.size());
    for (std::size_t i = 0; i < 4; ++i)
        message[1 + i] = static_cast<char>((length >> (8 * i)) & 0xff);
    message.append(payload);
    return message;
}

Parsed parseRequest(std::string_view bytes)
{
    return parse(bytes, true);
}

Parsed parseReply(std::string_view bytes)
{
    return parse(bytes, false);
}

} // namespace HelpReaderProtocol
