#pragma once
// The compressed stream: a signed 32-bit total, then blocks each prefixed by its signed
// 32-bit size, each block one LZRW1-KH block form (docs/framing.md).

#include "framework/Stream.h"

#include <cstdint>
#include <string>

namespace orlenth {

// Reads from source at its position in whole reads of 32781 bytes (not cut to count) and
// writes one compressed stream to dest at its position; dest ends just after it. Stops
// when count bytes have been taken or when source has nothing more. Dest must allow
// seeking back (the total is written last). A dest that takes fewer block bytes than
// written: EWriteError "Stream write error"; a total that would not fit 32 bits: the same.
void SaveCompressedStream(TStream& source, TStream& dest, std::int32_t count);

// Compresses everything source holds from its position on, in whole reads of 32781 bytes,
// and writes each block (its size, then its block form) to dest as soon as it is made, so
// that neither needs room for more than one block and dest need not allow seeking. Returns
// the total that the compressed stream's first field must carry; that field is the
// caller's to write, in front of the blocks. A dest that takes fewer bytes than given, or
// a total that would not fit 32 bits: EWriteError "Stream write error".
std::int64_t WriteCompressedBlocks(TStream& source, TStream& dest);

// Reads one compressed stream from source at its position, writes the restored bytes to
// dest at its position, and leaves source just after the compressed stream. Trusts
// nothing: a total that is negative or ends inside a field, a block size outside
// 1..32782, a block that reaches past the total or past the end of source, or a corrupt
// block is EReadError "Stream read error". Never reads past the compressed stream's total
// nor past the end of source; bytes restored before an error stay written to dest.
void LoadCompressedStream(TStream& source, TStream& dest);

// The same, appending the restored bytes to dest: no stream between the decoder and the
// text that keeps them.
void LoadCompressedStream(TStream& source, std::string& dest);

// Counts what one compressed stream at source's position restores to without keeping it:
// each block is restored into scratch space and its length added to `restored`. Stops as
// soon as `restored` passes `limit` (at once when it already has), leaving source inside
// the stream; otherwise leaves source just after it. Faults as LoadCompressedStream, with
// `restored` then counting the blocks before the fault.
void CountCompressedStream(TStream& source, std::int64_t& restored, std::int64_t limit);

// Checks one compressed stream at source's position as LoadCompressedStream would read it,
// keeping nothing, and leaves source just after it. The framing is checked now; each block
// is restored into scratch space now, or, while a TBlockChecks stands on this thread, by
// its Finish(). Needs the stream's bytes in place (TStream::ReadInPlace) and lasting till
// then; faults as LoadCompressedStream.
void CheckCompressedStream(TStream& source);

} // namespace orlenth
