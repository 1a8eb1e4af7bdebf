// orlenth-tool: the command-line companion of the reader. It works on the reader's
// stored formats through the same library code the reader uses.

#include "tools/Command.h"
#include "tools/InputBytes.h"
#include "tools/StandardStreams.h"

#include "framework/Errors.h"
#include "framework/Version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <new>

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
    std::fputs("  --help                       this text\n"
               "  --version                    the version\n\n"
               "Input is read from stdin (or the file named) and output written to stdout, as\n"
               "bytes. Bad input ends the command with a message on stderr and exit status 1.\n",
               to);
}

} // namespace

} // namespace orlenth::tool

namespace {

// The end of every run: what is still buffered for stdout must reach it, or the run failed.
int finished(const char* command, int status) {
    try {
        orlenth::tool::FinishStdout();
    } catch (const orlenth::tool::UsageError& e) {
        std::fprintf(stderr, "orlenth-tool%s%s: %s\n", command ? " " : "", command ? command : "",
                     orlenth::EscapeControls(e.message).c_str());
        return 1;
    }
    return status;
}

} // namespace

int main(int argc, char** argv) {
    using namespace orlenth::tool;
    ReserveStandardDescriptors();
    if (argc < 2) {
        printHelp(stderr);
        return 1;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        printHelp(stdout);
        return finished(nullptr, 0);
    }
    if (name == "--version") {
        std::printf("orlenth-tool %s\n", orlenth::kVersion);
        return finished(nullptr, 0);
    }
    for (const Command& c : Commands()) {
        if (c.name != name) continue;
        // Messages repeat names from streams and file names; whatever composed them, no
        // control byte reaches the terminal (escaping twice changes nothing).
        const auto fail = [&](std::string_view message) {
            std::fprintf(stderr, "orlenth-tool %s: %s\n", argv[1],
                         orlenth::EscapeControls(message).c_str());
            return finished(argv[1], 1);
        };
        try {
            return finished(argv[1],
                            c.run(std::span<char*>(argv + 2, static_cast<std::size_t>(argc - 2))));
        } catch (const UsageError& e) {
            return fail(e.message);
        } catch (const std::bad_alloc&) {
            return fail(NotedInput().empty() ? std::string("not enough memory")
                                             : "not enough memory while reading " + NotedInput());
        } catch (const std::exception& e) {
            return fail(e.what());
        }
    }
    std::fprintf(stderr, "orlenth-tool: unknown command '%s' (see orlenth-tool --help)\n",
                 orlenth::EscapeControls(argv[1]).c_str());
    return 1;
}
