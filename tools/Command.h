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

// The whole of a file, or of stdin when path is empty or "-". A file that cannot be opened
// (or is a folder): EFOpenError "Cannot open file %s". A named device (it may never end):
// UsageError. More than kMaxInputBytes: UsageError, as soon as the size or the bytes read
// tell. A named FIFO nobody writes to reads as empty instead of waiting for a writer.
std::string ReadInput(const std::string& path);
// Writes all bytes to stdout; a short write is an error (Stream write error).
void WriteAllStdout(const std::uint8_t* data, std::size_t n);

} // namespace orlenth::tool
