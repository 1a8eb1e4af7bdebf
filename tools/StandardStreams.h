#pragma once
// The tool's standard input, output and error as the commands use them. A write that does
// not reach its place is a failure of the command: status 1 and a message, never status 0
// with the output lost (a full disk, /dev/full, a closed stdout).

#include <cstddef>
#include <cstdint>

namespace orlenth::tool {

// Called first in main: a standard descriptor the caller left closed (`>&-`) gets /dev/null
// opened onto its number the other way round (read-only for stdout and stderr, write-only
// for stdin). Every use of it then fails as a closed one would, and no file the tool opens
// later (an input, a spool file) takes the number and is written to or read from as stdin
// or stdout.
void ReserveStandardDescriptors();

// Writes all bytes to stdout. A write the system refuses: UsageError "cannot write standard
// output: WHY".
void WriteAllStdout(const std::uint8_t* data, std::size_t n);

// Flushes what printf and the like left in stdout's buffer and closes stdout, so that a
// failure of either is seen: UsageError "cannot write standard output: WHY".
void FinishStdout();

} // namespace orlenth::tool
