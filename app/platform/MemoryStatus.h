#pragma once
// The machine's physical memory and its load, and the About window's text about them.

#include <cstdint>
#include <string>
#include <string_view>

namespace orlenth::platform {

struct MemoryStatus {
    std::uint64_t totalBytes = 0;
    // Used share of the total, 0..100, rounded down: (total - available) * 100 / total.
    std::uint32_t loadPercent = 0;

    bool operator==(const MemoryStatus&) const = default;
};

// From the text of /proc/meminfo: "MemTotal" and "MemAvailable" in kB. Without
// "MemAvailable" (kernels before 3.14) "MemFree" stands in. Unparsable or missing
// figures give zeros; available above total counts as load 0.
MemoryStatus ParseMemInfo(std::string_view text);

// ParseMemInfo of the file at `path`; zeros when it cannot be read.
MemoryStatus ReadMemoryStatus(const std::string& path = "/proc/meminfo");

// The About window's memory text, GBK bytes: "物理内存: " TAB, total >> 20 in decimal,
// " MB" CR CR "已经使用: " TAB, then the load as "%d %%".
std::string MemoryText(const MemoryStatus& status);

} // namespace orlenth::platform
