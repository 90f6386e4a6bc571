// The program's side of the help reader's messages: whatever bytes a broken
// or hostile reader writes, the parser takes whole messages within their
// limits, or waits while one is cut short, or refuses from the header on; and
// the reader's side reads requests by the same rules.
#include "FuzzSupport.h"

#include "helpreader/HelpReaderProtocol.h"

#include <string>

namespace {

using namespace HelpReaderProtocol;

std::size_t declaredLength(std::string_view bytes)
{
    std::size_t length = 0;
    for (std::size_t i = 0; i < 4; ++i)
        length |= std::size_t(static_cast<std::uint8_t>(bytes[1 + i])) << (8 * i);
    return length;
}

void checkParse(std::string_view bytes, bool request)
{
    const Parsed parsed = request ? parseRequest(bytes) : parseReply(bytes);
    const Parsed longer = request ? parseRequest(std::string(bytes) + '\x01') : parseReply(std::string(bytes) + '\x01');
    switch (parsed.state) {
    case State::Malformed:
        // Nothing that follows can make a broken header good.
        FUZZ_CHECK(longer.state == State::Malformed, "a longer stream became %d", int(longer.state));
        break;
    case State::Incomplete:
        if (bytes.size() >= HeaderSize) {
            // A whole header was accepted: the rest of its payload completes the message.
            const std::size_t needed = HeaderSize + declaredLength(bytes) - bytes.size();
            FUZZ_CHECK(needed > 0, "a whole message was taken as cut short");
            if (needed <= 1024 * 1024) {
                const std::string whole = std::string(bytes) + std::string(needed, 'x');
                const Parsed completed = request ? parseRequest(whole) : parseReply(whole);
                FUZZ_CHECK(completed.state == State::Complete && completed.consumed == whole.size(),
                           "the rest of the payload did not complete the message");
            }
        }
        break;
    case State::Complete: {
        FUZZ_CHECK(parsed.consumed == HeaderSize + parsed.payloadSize, "consumed %zu of a %zu payload", parsed.consumed,
                   parsed.payloadSize);
        FUZZ_CHECK(parsed.consumed <= bytes.size(), "consumed %zu of %zu bytes", parsed.consumed, bytes.size());
        FUZZ_CHECK(parsed.payloadSize <= (request ? MaxRequestPayload : MaxReplyPayload), "payload of %zu",
                   parsed.payloadSize);
        FUZZ_CHECK(longer.state == State::Complete && longer.consumed == parsed.consumed,
                   "a longer stream changed the message");
        const std::string again = encode(parsed.kind, bytes.substr(HeaderSize, parsed.payloadSize));
        FUZZ_CHECK(again == bytes.substr(0, parsed.consumed), "the message does not encode back to its bytes");
        break;
    }
    }
}

// A stream of messages, taken one after another as the program and the reader do.
void checkStream(std::string_view bytes, bool request)
{
    while (!bytes.empty()) {
        checkParse(bytes, request);
        const Parsed parsed = request ? parseRequest(bytes) : parseReply(bytes);
        if (parsed.state != State::Complete)
            return;
        bytes.remove_prefix(parsed.consumed);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    checkStream(bytes, false);
    checkStream(bytes, true);
    return 0;
}
