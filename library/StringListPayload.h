#pragma once
// The string-list payload: the text form of a line list, either as one compressed stream
// or plain (a signed 32-bit length, then the text form). The mode is not recorded in the
// payload; writer and reader must be given the same flag. See docs/framing.md.

#include "framework/Stream.h"
#include "library/LineList.h"

namespace orlenth {

// Writes the payload of strings at the stream's position; the stream ends just after it
// and must allow seeking back. A stream that takes fewer bytes than written: EWriteError.
void stWriteStringList(TStream& stream, const TLineList& strings, bool compressed);

// Reads one payload at the stream's position and replaces the lines of strings with its
// lines; the stream ends just after the payload. A payload that is cut short, a plain
// length that is negative or larger than what the stream still holds, or a corrupt
// compressed stream is EReadError "Stream read error", and strings keeps its old lines.
// Never reads past the payload. From a stream whose bytes last (TStream::Lasting), a
// compressed payload is checked by restoring it, then kept packed in the list.
void stReadStringList(TStream& stream, TLineList& strings, bool compressed);

} // namespace orlenth
