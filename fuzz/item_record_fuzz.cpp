// The item record reader, and the container record built on it (the first byte chooses
// which and in which mode), on arbitrary bytes. What reads back must write and read back
// to the same item.

#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "library/WJKStringList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t mode = data[0];
    orlenth::TMemoryStream stream(data + 1, static_cast<std::int64_t>(size - 1));
    try {
        if (mode & 2) {
            orlenth::TWJKStringList list;
            list.ReadData(stream, mode & 1);
            return 0;
        }
        orlenth::TWJKStringListItem item;
        item.ReadData(stream);
        orlenth::TMemoryStream again;
        item.WriteData(again);
        again.SetPosition(0);
        orlenth::TWJKStringListItem back;
        back.ReadData(again);
        if (back.Description() != item.Description().substr(0, 255) ||
            back.Ident() != item.Ident() || back.Compressed() != item.Compressed() ||
            !(back.GetList() == item.GetList()))
            FuzzFailure("an item record does not read back the same");
    } catch (const orlenth::EReadError&) {
    }
    return 0;
}
