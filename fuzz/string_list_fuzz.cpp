// The string-list payload reader in both modes, from a copy or from bytes that last (the
// first byte chooses): a damaged payload is a read error and leaves the list as it was.

#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "library/StringListPayload.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool compressed = data[0] & 1;
    // The input lasts as long as the list is used here, so a compressed text may stay packed.
    orlenth::TMemoryStream copied(data + 1, static_cast<std::int64_t>(size - 1));
    orlenth::TViewStream lasting(data + 1, static_cast<std::int64_t>(size - 1), true);
    orlenth::TStream& stream = data[0] & 2 ? static_cast<orlenth::TStream&>(lasting) : copied;
    const orlenth::TLineList before{"before"};
    orlenth::TLineList lines = before;
    try {
        orlenth::stReadStringList(stream, lines, compressed);
    } catch (const orlenth::EReadError&) {
        if (!(lines == before)) FuzzFailure("a failed read changed the list");
        return 0;
    }
    for (int i = 0; i < lines.Count(); ++i)
        if (lines[i].find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos)
            FuzzFailure("a line holds a break");
    // Reading the text form back gives the same lines.
    orlenth::TLineList again;
    again.SetText(lines.Text());
    if (!(again == lines)) FuzzFailure("the text form does not read back the same");
    return 0;
}
