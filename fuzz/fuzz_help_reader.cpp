// The help reader's side: the input is a help archive, opened and read as the
// help window reads it (contents, page, style sheet, pictures). Every request
// gets exactly one well-formed reply. chmlib itself is not instrumented; a
// crash inside it is what the reader process exists to contain, and fuzz/run
// counts such crashes apart from the reader's own.
#include "FuzzSupport.h"

#include "helpreader/ChmReader.h"
#include "helpreader/HelpReaderProtocol.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

using namespace HelpReaderProtocol;

void checkReply(const std::string& reply, const char* what)
{
    const Parsed parsed = parseReply(reply);
    FUZZ_CHECK(parsed.state == State::Complete && parsed.consumed == reply.size(), "bad reply to %s", what);
    if (parsed.kind != static_cast<std::uint8_t>(Reply::Done))
        FUZZ_CHECK(parsed.payloadSize == 0, "a failure with a payload for %s", what);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir dir;
    static const std::string fileName = QFile::encodeName(dir.filePath(QStringLiteral("TSHelp.chm"))).toStdString();
    {
        QFile file(QString::fromStdString(fileName));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    ChmReader reader("libchm.so.1");
    const std::string opened = reader.answer(static_cast<std::uint8_t>(Request::Open), fileName);
    checkReply(opened, "open");
    for (const char* path : {"/TSHelp.hhc", "/TSHelp.htm", "/TSHelp.css", "/quantaro.png", "/help.png", "/swap.png",
                             "/#SYSTEM", "/Nothing.htm"})
        checkReply(reader.answer(static_cast<std::uint8_t>(Request::Read), path), path);
    return 0;
}
