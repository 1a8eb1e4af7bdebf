#pragma once
// The companion's subcommands: each reads its input and writes its output itself and
// reports failure by throwing; main turns that into a message and exit status 1.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orlenth::tool {

struct Command {
    std::string_view name;
    std::string_view usage;   // the arguments, after the name
    std::string_view summary; // one line for --help
    int (*run)(std::span<char*> args);
};

// The subcommands of each area, in the order --help lists them.
std::span<const Command> CodecCommands();
std::span<const Command> DescriptionCommands();
// Commands that need the streams embedded in the program; the build-time packer, which
// makes those streams, has none.
std::span<const Command> EmbeddedCommands();

// A failure of the tool itself (bad arguments, oversized input), with its message.
struct UsageError {
    std::string message;
};

// The most input a command that needs its whole input takes: no stored stream comes near.
inline constexpr std::uint64_t kMaxInputBytes = std::uint64_t{1} << 30;

} // namespace orlenth::tool
