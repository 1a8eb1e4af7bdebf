// extract: the streams embedded in this program.

#include "tools/Command.h"

#include "framework/Errors.h"
#include "resource/EmbeddedStreams.h"
#include "tools/StandardStreams.h"

namespace orlenth::tool {

namespace {

int extract(std::span<char*> args) {
    if (args.size() != 1) throw UsageError{"name one stream: TORLENTH, TSTARYE or TABOUTKESTROW"};
    const std::string_view s = EmbeddedStream(args[0]);
    if (s.empty()) throw UsageError{"no embedded stream named '" + EscapeControls(args[0]) + "'"};
    WriteAllStdout(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
    return 0;
}

const Command kEmbeddedCommands[] = {
    {"extract", "NAME",
     "writes the embedded stream NAME (TORLENTH, TSTARYE, TABOUTKESTROW) to stdout", extract},
};

} // namespace

std::span<const Command> EmbeddedCommands() {
    return kEmbeddedCommands;
}

} // namespace orlenth::tool
