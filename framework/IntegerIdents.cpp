#include "framework/IntegerIdents.h"

#include <map>

namespace orlenth {

namespace {

struct Table {
    TIdentToInt toInt;
    TIntToIdent toIdent;
};

std::map<std::string, Table, std::less<>>& tables() {
    static std::map<std::string, Table, std::less<>> t;
    return t;
}

} // namespace

void RegisterIntegerIdents(const std::string& table, TIdentToInt toInt, TIntToIdent toIdent) {
    tables()[table] = {std::move(toInt), std::move(toIdent)};
}

std::optional<int> IdentToInteger(const std::string& table, std::string_view ident) {
    const auto it = tables().find(table);
    if (it == tables().end() || !it->second.toInt) return std::nullopt;
    return it->second.toInt(ident);
}

std::optional<std::string> IntegerToIdent(const std::string& table, int value) {
    const auto it = tables().find(table);
    if (it == tables().end() || !it->second.toIdent) return std::nullopt;
    return it->second.toIdent(value);
}

} // namespace orlenth
