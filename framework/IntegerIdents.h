#pragma once
// Named values of integer properties (colours, cursors): a stored description may give
// such a property an identifier instead of a number. A class says which table a property
// uses with Q_CLASSINFO("Idents.PROPERTY", "TABLE").

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orlenth {

using TIdentToInt = std::function<std::optional<int>(std::string_view ident)>;
using TIntToIdent = std::function<std::optional<std::string>(int value)>;

// Registers (or replaces) a table of named values. Not thread-safe: tables are registered
// at start-up, before descriptions are read.
void RegisterIntegerIdents(const std::string& table, TIdentToInt toInt, TIntToIdent toIdent);
// The value of an identifier in a table; nothing when the table or the name is unknown.
std::optional<int> IdentToInteger(const std::string& table, std::string_view ident);
// The identifier of a value, when the table names it.
std::optional<std::string> IntegerToIdent(const std::string& table, int value);

} // namespace orlenth
