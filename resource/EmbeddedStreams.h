#pragma once
// The window descriptions embedded in the program, by the window's class name in capitals.

#include <string>
#include <string_view>
#include <vector>

namespace orlenth {

// The bytes of the embedded stream NAME ("TORLENTH", "TSTARYE", "TABOUTKESTROW"), or an
// empty view when the program holds no such stream. The bytes live as long as the program.
std::string_view EmbeddedStream(const std::string& name);
// The names of the embedded streams.
std::vector<std::string> EmbeddedStreamNames();

} // namespace orlenth
