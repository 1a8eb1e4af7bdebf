#pragma once
// Where pack -o puts a stream. OUT may be anything a path can name, so its kind decides:
//   -                       standard output;
//   a regular file or none  a new file of its own beside it, renamed over it when whole,
//                           with the old file's mode and, where allowed, its owner and group;
//   a regular file with     rewritten in place (its space reserved first), so that every
//   more than one link      link keeps seeing it;
//   a symbolic link         followed: what it names is OUT (a dangling one to the name it
//                           ends at), so the link itself stays;
//   a device, a FIFO        written into, never replaced (a FIFO only while someone reads
//                           it, a block device not at all);
//   a folder, ""            refused.

#include <string>
#include <string_view>

namespace orlenth::tool {

// Writes `bytes` to OUT as above. Refusals and failures are UsageError naming OUT and why;
// a failure leaves a regular OUT as it was (in place: space was reserved, so only a
// failure of the device itself can leave it part-written) and no file of its own behind.
// When the replaced file's owner cannot be kept, a note on stderr says so.
void WriteOutputFile(const std::string& out, std::string_view bytes);

} // namespace orlenth::tool
