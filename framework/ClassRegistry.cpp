#include "framework/ClassRegistry.h"

#include <map>

namespace orlenth {

namespace {

std::map<std::string, TComponentFactory, std::less<>>& registry() {
    static std::map<std::string, TComponentFactory, std::less<>> classes;
    return classes;
}

// Qt reports namespaced names; descriptions carry the bare class name.
std::string bareName(const std::string& name) {
    const auto p = name.rfind("::");
    return p == std::string::npos ? name : name.substr(p + 2);
}

} // namespace

void RegisterClass(const std::string& name, TComponentFactory factory) {
    registry()[bareName(name)] = std::move(factory);
}

const TComponentFactory* FindClass(std::string_view name) {
    auto& r = registry();
    auto it = r.find(name);
    return it == r.end() ? nullptr : &it->second;
}

} // namespace orlenth
