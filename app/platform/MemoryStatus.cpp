#include "app/platform/MemoryStatus.h"

#include <charconv>
#include <fstream>
#include <iterator>
#include <optional>

namespace orlenth::platform {

namespace {

// The text's fixed pieces, as GBK bytes, so that they do not depend on the source
// file's encoding or a converter at run time.
constexpr std::string_view kPhysicalMemory = "\xCE\xEF\xC0\xED\xC4\xDA\xB4\xE6: \t";
constexpr std::string_view kInUse = " MB\r\r\xD2\xD1\xBE\xAD\xCA\xB9\xD3\xC3: \t";

// The value of "Key:   12345 kB" in bytes, or nothing.
std::optional<std::uint64_t> FieldBytes(std::string_view text, std::string_view key) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t eol = text.find('\n', pos);
        if (eol == std::string_view::npos) eol = text.size();
        std::string_view line = text.substr(pos, eol - pos);
        pos = eol + 1;
        if (!line.starts_with(key) || line.size() <= key.size() || line[key.size()] != ':')
            continue;
        line.remove_prefix(key.size() + 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        std::uint64_t kib = 0;
        const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), kib);
        if (ec != std::errc{} || kib > UINT64_MAX / 1024) return std::nullopt;
        const std::string_view unit(end, static_cast<std::size_t>(line.data() + line.size() - end));
        return unit.find("kB") != std::string_view::npos ? kib * 1024 : kib;
    }
    return std::nullopt;
}

} // namespace

MemoryStatus ParseMemInfo(std::string_view text) {
    MemoryStatus s;
    const auto total = FieldBytes(text, "MemTotal");
    if (!total || *total == 0) return s;
    s.totalBytes = *total;
    auto available = FieldBytes(text, "MemAvailable");
    if (!available) available = FieldBytes(text, "MemFree");
    if (!available || *available >= *total) return s;
    std::uint64_t used = *total - *available;
    std::uint64_t whole = *total;
    // Only totals beyond a hundred petabytes lose low bits here, far below one per cent.
    while (whole > UINT64_MAX / 100) {
        whole >>= 7;
        used >>= 7;
    }
    s.loadPercent = static_cast<std::uint32_t>(used * 100 / whole);
    return s;
}

MemoryStatus ReadMemoryStatus(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return ParseMemInfo(text);
}

std::string MemoryText(const MemoryStatus& status) {
    std::string out(kPhysicalMemory);
    out += std::to_string(status.totalBytes >> 20);
    out += kInUse;
    out += std::to_string(status.loadPercent);
    out += " %";
    return out;
}

} // namespace orlenth::platform
