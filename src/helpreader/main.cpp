// quantaro-helpreader: reads the help archive for Quantaro, which starts it and
// talks to it over standard input and output (HelpReaderProtocol.h). chmlib may
// crash or hang on a damaged archive; here that ends only this process.
//   quantaro-helpreader [chmlib file name, such as libchm.so.1]
#include "ChmReader.h"
#include "HelpReaderProtocol.h"

#include <csignal>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// A damaged archive can make chmlib ask for any amount of memory; it gets this
// much at most, and the program sees a reader that failed.
constexpr rlim_t MemoryLimit = 1024UL * 1024 * 1024;

bool writeAll(const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(STDOUT_FILENO, bytes.data() + done, bytes.size() - done);
        if (written <= 0)
            return false;
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void confine()
{
    // Ends with the program, even while chmlib hangs.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // A program that stopped listening ends the reader through a failed write.
    std::signal(SIGPIPE, SIG_IGN);
    // A crash on a damaged archive leaves no core file in the user's folder.
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit memory{MemoryLimit, MemoryLimit};
    setrlimit(RLIMIT_AS, &memory);
}

} // namespace

int main(int argc, char** argv)
{
    using namespace HelpReaderProtocol;
    confine();
    ChmReader reader(argc > 1 ? argv[1] : "libchm.so.1");
    std::string pending;
    char chunk[4096];
    for (;;) {
        const Parsed request = parseRequest(pending);
        if (request.state == State::Malformed)
            return writeAll(encode(static_cast<std::uint8_t>(Reply::BadRequest), {})) ? 1 : 2;
        if (request.state == State::Complete) {
            const std::string_view payload(pending.data() + HeaderSize, request.payloadSize);
            if (!writeAll(reader.answer(request.kind, payload)))
                return 2;
            pending.erase(0, request.consumed);
            continue;
        }
        const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (got <= 0)
            return 0; // the program closed the pipe: no more requests
        pending.append(chunk, static_cast<std::size_t>(got));
    }
}
