// The item record reader, and the container record built on it (the first byte chooses
// which and in which mode), on arbitrary bytes, against the record read again from its
// documented layout: it fails exactly when that does; otherwise it holds that record's
// flag, description, identifier and lines, or every item of a container in order. What it
// read writes and reads back to the same items.

#include "FuzzTarget.h"
#include "RecordReference.h"

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

bool asRead(const orlenth::TWJKStringListItem& item, const record_reference::Item& want) {
    return item.Description() == want.description && item.Ident() == want.ident &&
           item.Compressed() == want.compressed &&
           record_reference::SameLines(item.GetList(), want.lines);
}

void containerRoundTrip(orlenth::TStream& stream, bool compressed,
                        const std::optional<std::vector<record_reference::Item>>& want) {
    orlenth::TWJKStringList list;
    try {
        list.ReadData(stream, compressed);
    } catch (const orlenth::EReadError&) {
        if (want) FuzzFailure("a container record that reads was refused");
        return;
    }
    if (!want) FuzzFailure("a damaged container record was read");
    if (list.GetCount() != static_cast<int>(want->size()))
        FuzzFailure("a container record read another number of items");
    for (int i = 0; i < list.GetCount(); ++i)
        if (!asRead(*list.GetArrayItem(i), (*want)[static_cast<std::size_t>(i)]))
            FuzzFailure("a container record read other items");
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
    record_reference::Bytes in{data + 1, size - 1};
    if (mode & 2) {
        containerRoundTrip(stream, mode & 1, record_reference::ReadContainer(in, mode & 1));
        return 0;
    }
    const auto want = record_reference::ReadItem(in);
    orlenth::TWJKStringListItem item;
    try {
        item.ReadData(stream);
    } catch (const orlenth::EReadError&) {
        if (want) FuzzFailure("an item record that reads was refused");
        return 0;
    }
    if (!want) FuzzFailure("a damaged item record was read");
    if (!asRead(item, *want)) FuzzFailure("an item record read other values than it holds");
    if (stream.Position() != static_cast<std::int64_t>(in.at))
        FuzzFailure("an item record's read did not stop at its end");
    orlenth::TMemoryStream again;
    item.WriteData(again);
    again.SetPosition(0);
    orlenth::TWJKStringListItem back;
    back.ReadData(again);
    if (!sameItem(item, back)) FuzzFailure("an item record does not read back the same");
    return 0;
}
