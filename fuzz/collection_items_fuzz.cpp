// A collection folder as pack reads it: `catalogue.tsv` and the article files it names, on
// arbitrary bytes. The input up to its first NUL is the catalogue; each further piece,
// cut at NULs, is an article file named 1, 2, 3 ... Any fault is EDescriptionError, nothing
// else. Items that are built are one catalogue item and one per catalogue line, each
// reading back as an item; and where dump can write them as a folder again, that folder
// builds the very same records.

#include "FuzzFolder.h"
#include "FuzzTarget.h"

#include "framework/Errors.h"
#include "library/WJKStringListItem.h"
#include "resource/CollectionItems.h"
#include "resource/ComponentReader.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

const FuzzFolder& folder() {
    static const FuzzFolder f("collection-items");
    return f;
}

void put(const std::filesystem::path& p, std::string_view bytes) {
    std::ofstream(p, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    orlenth::RegisterLibraryClasses();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    folder().Clear();
    const auto dir = folder() / "in";
    std::filesystem::create_directory(dir);
    std::size_t cut = input.find('\0');
    put(dir / "catalogue.tsv", input.substr(0, cut));
    std::size_t lines = 0;
    for (std::size_t at = 0; at < cut && at < input.size();) {
        const std::size_t end = std::min(input.find('\n', at), input.size());
        if (end > at) ++lines;
        at = end + 1;
    }
    for (int n = 1; cut != std::string_view::npos; ++n) {
        input.remove_prefix(cut + 1);
        cut = input.find('\0');
        put(dir / std::to_string(n), input.substr(0, cut));
    }

    std::vector<orlenth::TObjectRecord> items;
    try {
        items = orlenth::BuildCollectionItems(dir, "about", "fuzz.txt:1", folder().path());
    } catch (const orlenth::EDescriptionError& e) {
        if (e.Message().find(':') == std::string::npos)
            FuzzFailure("a collection's fault names no place");
        return 0;
    }
    if (items.size() != lines + 1)
        FuzzFailure("items are not the catalogue item and one for each catalogue line");
    for (const auto& r : items) {
        orlenth::TWJKStringListItem item;
        try {
            orlenth::ReadComponent(r, item);
        } catch (const orlenth::Exception&) {
            FuzzFailure("an item built from a collection does not read");
        }
    }
    const auto out = folder() / "out";
    if (const auto catalogue = orlenth::WriteCollectionItems(items, out)) {
        std::size_t k = 0;
        orlenth::ForEachCollectionItem(
            out, *catalogue, "fuzz.txt:1", folder().path(), [&](orlenth::TObjectRecord&& r) {
                if (k >= items.size() ||
                    orlenth::SerializeObjectStream(r) != orlenth::SerializeObjectStream(items[k]))
                    FuzzFailure("a written collection builds other items");
                ++k;
            });
        if (k != items.size()) FuzzFailure("a written collection builds other items");
    }
    return 0;
}
