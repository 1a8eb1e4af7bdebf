#include "resource/LibraryLoader.h"

#include "framework/ClassRegistry.h"
#include "framework/Errors.h"
#include "library/BlockChecks.h"
#include "library/WJKStringList.h"
#include "library/WJKStringListItem.h"
#include "resource/ComponentReader.h"
#include "resource/ObjectStream.h"

#include <functional>
#include <optional>
#include <string>

namespace orlenth {

void RegisterLibraryClasses() {
    static const bool done = [] {
        RegisterClass<TWJKStringList>();
        RegisterClass<TWJKStringListItem>();
        return true;
    }();
    (void)done;
}

TLibrary LoadLibrary(std::string_view stream, TComponent& owner, bool lasting,
                     std::size_t maxRecords) {
    RegisterLibraryClasses();
    const TObjectRecord root = ParseObjectStream(stream, true, nullptr, maxRecords);
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
    // Blocks that stay where they are are checked on every core once all is read.
    std::optional<TBlockChecks> checks;
    if (lasting) checks.emplace();
    try {
        walk(root);
    } catch (const Exception&) {
        // Every block left to check stands before the fault: a damaged one is the fault
        // that reading the items at once would have met first, and is reported instead.
        if (checks) FinishItemRecordChecks(*checks);
        throw;
    }
    if (checks) FinishItemRecordChecks(*checks);
    return lib;
}

void FinishItemRecordChecks(TBlockChecks& checks) {
    try {
        checks.Finish();
    } catch (const Exception& e) {
        // Only item records leave their blocks to be checked later, and an item is read
        // without a name, so its error reads as it would have at the item.
        std::string item = TWJKStringListItem::staticMetaObject.className();
        item.erase(0, item.rfind(':') + 1);
        throw EReadError(formatMessage(Msg::ErrorReading, {item, ".", "Internal", e.Message()}));
    }
}

} // namespace orlenth
