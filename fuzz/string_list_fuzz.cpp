// The string-list payload reader in both modes, from a copy or from bytes that last (the
// first byte chooses), against the payload read again from its documented layout: it fails
// exactly when that does, leaving the list as it was; otherwise it holds the lines of the
// text form found there and stops where the payload ends.

#include "FuzzTarget.h"
#include "RecordReference.h"

#include "framework/Errors.h"
#include "library/StringListPayload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool compressed = data[0] & 1;
    // The input lasts as long as the list is used here, so a compressed text may stay packed.
    orlenth::TMemoryStream copied(data + 1, static_cast<std::int64_t>(size - 1));
    orlenth::TViewStream lasting(data + 1, static_cast<std::int64_t>(size - 1), true);
    orlenth::TStream& stream = data[0] & 2 ? static_cast<orlenth::TStream&>(lasting) : copied;
    record_reference::Bytes in{data + 1, size - 1};
    const auto text = record_reference::Payload(in, compressed);

    const orlenth::TLineList before{"before"};
    orlenth::TLineList lines = before;
    try {
        orlenth::stReadStringList(stream, lines, compressed);
    } catch (const orlenth::EReadError&) {
        if (!(lines == before)) FuzzFailure("a failed read changed the list");
        if (text) FuzzFailure("a payload that reads was refused");
        return 0;
    }
    if (!text) FuzzFailure("a damaged payload was read");
    if (!record_reference::SameLines(lines, record_reference::Lines(*text)))
        FuzzFailure("the lines are not those of the payload's text");
    if (stream.Position() != static_cast<std::int64_t>(in.at))
        FuzzFailure("the read did not stop at the payload's end");
    return 0;
}
