#pragma once
// The files a description text names (pictures, `file` values, a collection's catalogue and
// its articles), read whole by pack. A name may lead anywhere inside the root folder, and
// the root may be /dev: a FIFO there would hold pack for ever and a device such as
// /dev/zero never ends, so only regular files of a bounded size are read.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace orlenth {

// The most bytes a named file may hold: as much as a description text itself.
inline constexpr std::uint64_t kMaxNamedFileBytes = std::uint64_t{1} << 30;

// The bytes of the regular file at `path`, up to the size it had when opened (a file that
// grows meanwhile is read to that size, one that shrinks gives what is there). The kind and
// the size are taken from the descriptor opened, which is opened without waiting, so a name
// swapped for a FIFO after a look at it cannot make the read wait. `shown` names the file in
// messages. Refusals are EFOpenError whose message says what is wrong, without the place:
// "cannot read SHOWN", "SHOWN is a folder, not a file" (a FIFO, a device, a socket alike),
// "SHOWN is larger than N bytes ...", "not enough memory to read SHOWN (N bytes)".
std::string ReadNamedFile(const std::filesystem::path& path, std::string_view shown);

} // namespace orlenth
