// The item record reader, and the container record built on it (the first byte chooses
// which and in which mode), on arbitrary bytes. What reads back must write and read back
// to the same items: one item, or every item of a container in order.

#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "library/WJKStringList.h"

namespace {

// Whether `back` holds what `item` held, as far as its record can carry it (a description
// keeps its first 255 bytes).
bool sameItem(const orlenth::TWJKStringListItem& item, const orlenth::TWJKStringListItem& back) {
    return back.Description() == item.Description().substr(0, 255) &&
           back.Ident() == item.Ident() && back.Compressed() == item.Compressed() &&
           back.GetList() == item.GetList();
}

void containerRoundTrip(orlenth::TStream& stream, bool compressed) {
    orlenth::TWJKStringList list;
    list.ReadData(stream, compressed);
    orlenth::TMemoryStream again;
    list.WriteData(again, compressed);
    again.SetPosition(0);
    orlenth::TWJKStringList back;
    try {
        back.ReadData(again, compressed);
    } catch (const orlenth::EReadError&) {
        FuzzFailure("a container record written from what was read does not read");
    }
    if (back.GetCount() != list.GetCount())
        FuzzFailure("a container record does not read back its number of items");
    for (int i = 0; i < list.GetCount(); ++i)
        if (!sameItem(*list.GetArrayItem(i), *back.GetArrayItem(i)))
            FuzzFailure("a container record does not read back the same items");
    if (again.Position() != again.Size())
        FuzzFailure("a container record does not read back to its end");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    orlenth::TMemoryStream stream(data + 1, static_cast<std::int64_t>(size - 1));
    try {
        if (mode & 2) {
            containerRoundTrip(stream, mode & 1);
            return 0;
        }
        orlenth::TWJKStringListItem item;
        item.ReadData(stream);
        orlenth::TMemoryStream again;
        item.WriteData(again);
        again.SetPosition(0);
        orlenth::TWJKStringListItem back;
        back.ReadData(again);
        if (!sameItem(item, back)) FuzzFailure("an item record does not read back the same");
    } catch (const orlenth::EReadError&) {
    }
    return 0;
}
