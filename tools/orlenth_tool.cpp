// orlenth-tool: the command-line companion of the reader. It works on the reader's
// stored formats through the same library code the reader uses.

#include "tools/Command.h"

#include "framework/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

namespace orlenth::tool {

namespace {

std::vector<Command> Commands() {
    std::vector<Command> all;
    for (auto part : {CodecCommands(), DescriptionCommands(), EmbeddedCommands()})
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

void printHelp(std::FILE* to) {
    std::fputs("orlenth-tool: the companion of the Orlenth reader, for its stored formats.\n\n"
               "Usage: orlenth-tool COMMAND [ARGUMENTS]\n\n"
               "Commands:\n",
               to);
    for (const Command& c : Commands()) {
        const std::string head =
            std::string(c.name) + (c.usage.empty() ? "" : " ") + std::string(c.usage);
        std::fprintf(to, "  %-28s %s\n", head.c_str(), std::string(c.summary).c_str());
    }
    std::fputs("  --help                       this text\n\n"
               "Input is read from stdin (or the file named) and output written to stdout, as\n"
               "bytes. Bad input ends the command with a message on stderr and exit status 1.\n",
               to);
}

} // namespace

} // namespace orlenth::tool

int main(int argc, char** argv) {
    using namespace orlenth::tool;
    if (argc < 2) {
        printHelp(stderr);
        return 1;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printHelp(stdout);
        return 0;
    }
    for (const Command& c : Commands()) {
        if (c.name != name) continue;
        try {
            return c.run(std::span<char*>(argv + 2, static_cast<std::size_t>(argc - 2)));
        } catch (const UsageError& e) {
            std::fprintf(stderr, "orlenth-tool %s: %s\n", argv[1], e.message.c_str());
        } catch (const orlenth::Exception& e) {
            std::fprintf(stderr, "orlenth-tool %s: %s\n", argv[1], e.what());
        } catch (const std::exception& e) {
            std::fprintf(stderr, "orlenth-tool %s: %s\n", argv[1], e.what());
        }
        return 1;
    }
    std::fprintf(stderr, "orlenth-tool: unknown command '%s' (see orlenth-tool --help)\n", argv[1]);
    return 1;
}
