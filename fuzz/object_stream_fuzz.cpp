// The object-stream reader on arbitrary bytes: parsing, the description text, which must
// carry any parsed stream back to the same bytes, and the library's containers filled from
// the stream both ways the reader has: items restored at once, and, as the program reads
// its own description, texts kept packed in the stream's bytes with their blocks checked
// together at the end. Both must come to the same verdict and the same items, and hold
// exactly the categories the stream's records name.

#include "FuzzTarget.h"

#include "framework/Component.h"
#include "framework/Errors.h"
#include "library/WJKStringList.h"
#include "resource/DescriptionText.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include <array>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// The categories the tree's records name, as the loader looks for them.
std::array<bool, 5> namedCategories(const orlenth::TObjectRecord& root) {
    std::array<bool, 5> named{};
    std::function<void(const orlenth::TObjectRecord&)> walk = [&](const auto& r) {
        if (r.className == "TWJKStringList" && r.name.size() == 14 &&
            r.name.starts_with("WJKStringList") && r.name[13] >= '0' && r.name[13] <= '4') {
            named[static_cast<std::size_t>(r.name[13] - '0')] = true;
            return;
        }
        for (const auto& c : r.children) walk(c);
    };
    walk(root);
    return named;
}

// A loaded library, or the message that stopped it.
struct Loaded {
    orlenth::TComponent owner;
    orlenth::TLibrary lib{};
    std::optional<std::string> error;
};

void load(std::string_view bytes, bool lasting, Loaded& into) {
    try {
        into.lib = orlenth::LoadLibrary(bytes, into.owner, lasting);
    } catch (const orlenth::Exception& e) {
        into.error = e.Message();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that a read just past the stream is caught; the packed texts
    // of the second load stay in it until the end of this call.
    auto exact = std::make_unique<char[]>(size ? size : 1);
    if (size) std::memcpy(exact.get(), data, size);
    const std::string_view bytes(exact.get(), size);
    orlenth::TObjectRecord root;
    bool parsed = true;
    try {
        root = orlenth::ParseObjectStream(bytes);
    } catch (const orlenth::Exception&) {
        parsed = false;
    }
    if (parsed) {
        const std::string again = orlenth::SerializeObjectStream(root);
        if (bytes.substr(0, again.size()) != again)
            FuzzFailure("a parsed stream does not serialize to its bytes");
        try {
            const orlenth::TObjectRecord back =
                orlenth::ParseDescriptionText(orlenth::PrintDescriptionText(root), ".", "fuzz");
            if (orlenth::SerializeObjectStream(back) != again)
                FuzzFailure("the description text changed the stream");
        } catch (const orlenth::Exception&) {
            FuzzFailure("a parsed stream's description text does not parse");
        }
    }

    Loaded atOnce, packed;
    load(bytes, false, atOnce);
    load(bytes, true, packed);
    if (atOnce.error != packed.error)
        FuzzFailure("the program's way of reading the library comes to another verdict");
    if (!parsed && !atOnce.error) FuzzFailure("a library loaded from a stream that does not parse");
    if (atOnce.error) return 0;
    const std::array<bool, 5> named = namedCategories(root);
    for (std::size_t c = 0; c < 5; ++c) {
        const orlenth::TWJKStringList* a = atOnce.lib[c];
        const orlenth::TWJKStringList* p = packed.lib[c];
        if ((a != nullptr) != named[c] || (p != nullptr) != named[c])
            FuzzFailure("the library's categories are not those the stream names");
        if (!a) continue;
        if (a->GetCount() != p->GetCount())
            FuzzFailure("the two ways of reading give different numbers of items");
        for (int i = 0; i < a->GetCount(); ++i) {
            const orlenth::TWJKStringListItem* x = a->GetArrayItem(i);
            const orlenth::TWJKStringListItem* y = p->GetArrayItem(i);
            if (x->Description() != y->Description() || x->Ident() != y->Ident() ||
                x->Compressed() != y->Compressed() || !(x->GetList() == y->GetList()))
                FuzzFailure("the two ways of reading give different items");
        }
    }
    return 0;
}
