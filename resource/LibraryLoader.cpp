#include "resource/LibraryLoader.h"

#include "framework/ClassRegistry.h"
#include "library/WJKStringList.h"
#include "resource/ComponentReader.h"
#include "resource/ObjectStream.h"

#include <functional>

namespace orlenth {

void RegisterLibraryClasses() {
    static const bool done = [] {
        RegisterClass<TWJKStringList>();
        RegisterClass<TWJKStringListItem>();
        return true;
    }();
    (void)done;
}

TLibrary LoadLibrary(std::string_view stream, TComponent& owner, bool lasting) {
    RegisterLibraryClasses();
    const TObjectRecord root = ParseObjectStream(stream, true);
    TLibrary lib{};
    std::function<void(const TObjectRecord&)> walk = [&](const TObjectRecord& r) {
        if (r.className == "TWJKStringList" && r.name.size() == 14 &&
            r.name.starts_with("WJKStringList") && r.name[13] >= '0' && r.name[13] <= '4') {
            auto* list = new TWJKStringList(&owner);
            lib[static_cast<std::size_t>(r.name[13] - '0')] = list;
            ReadComponent(r, *list, lasting);
            return;
        }
        for (const auto& c : r.children) walk(c);
    };
    walk(root);
    return lib;
}

} // namespace orlenth
