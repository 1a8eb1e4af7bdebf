#pragma once
// A class or object name of a record, kept in 16 bytes: names in the object stream are
// at most 255 bytes and mostly short, so a name of up to 15 bytes lives inside the value
// and only a longer one takes a heap block. Reads as a std::string_view.

#include <compare>
#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace orlenth {

class TShortName {
public:
    TShortName() noexcept { Clear(); }
    TShortName(std::string_view s) { Set(s); }
    TShortName(const std::string& s) { Set(s); }
    TShortName(const char* s) { Set(std::string_view(s)); }
    TShortName(const TShortName& other) { Set(other.View()); }
    TShortName(TShortName&& other) noexcept {
        std::memcpy(bytes_, other.bytes_, sizeof bytes_);
        other.Clear();
    }
    TShortName& operator=(const TShortName& other) {
        if (this != &other) Assign(other.View());
        return *this;
    }
    TShortName& operator=(TShortName&& other) noexcept {
        if (this != &other) {
            Free();
            std::memcpy(bytes_, other.bytes_, sizeof bytes_);
            other.Clear();
        }
        return *this;
    }
    TShortName& operator=(std::string_view s) {
        Assign(s);
        return *this;
    }
    TShortName& operator=(const std::string& s) { return *this = std::string_view(s); }
    TShortName& operator=(const char* s) { return *this = std::string_view(s); }
    ~TShortName() { Free(); }

    std::string_view View() const noexcept {
        if (!OnHeap()) return {bytes_, static_cast<unsigned char>(bytes_[kTag])};
        const char* p;
        std::uint32_t n;
        std::memcpy(&p, bytes_, sizeof p);
        std::memcpy(&n, bytes_ + sizeof p, sizeof n);
        return {p, n};
    }
    operator std::string_view() const noexcept { return View(); }
    // For the callers that take a std::string; a copy, but names that fit inline also fit
    // a std::string's own buffer.
    operator std::string() const { return std::string(View()); }

    std::size_t size() const noexcept { return View().size(); }
    bool empty() const noexcept { return View().empty(); }
    const char* data() const noexcept { return View().data(); }
    char operator[](std::size_t i) const noexcept { return View()[i]; }
    bool starts_with(std::string_view s) const noexcept { return View().starts_with(s); }

    friend bool operator==(const TShortName& a, const TShortName& b) noexcept {
        return a.View() == b.View();
    }
    friend bool operator==(const TShortName& a, std::string_view b) noexcept {
        return a.View() == b;
    }
    friend bool operator==(const TShortName& a, const std::string& b) noexcept {
        return a.View() == b;
    }
    friend bool operator==(const TShortName& a, const char* b) noexcept { return a.View() == b; }
    friend auto operator<=>(const TShortName& a, const TShortName& b) noexcept {
        return a.View() <=> b.View();
    }
    friend std::string operator+(const std::string& a, const TShortName& b) {
        return a + std::string(b.View());
    }
    friend std::string operator+(const char* a, const TShortName& b) {
        return std::string(a) + std::string(b.View());
    }
    friend std::string operator+(const TShortName& a, const char* b) {
        return std::string(a.View()) + b;
    }
    friend std::string operator+(const TShortName& a, const std::string& b) {
        return std::string(a.View()) + b;
    }
    friend std::ostream& operator<<(std::ostream& os, const TShortName& n) {
        return os << n.View();
    }

private:
    static constexpr std::size_t kTag = 15;      // inline length, or kHeap
    static constexpr unsigned char kHeap = 0xFF; // longer than kInline: a heap block
    static constexpr std::size_t kInline = kTag; // bytes kept in the value itself

    bool OnHeap() const noexcept { return static_cast<unsigned char>(bytes_[kTag]) == kHeap; }
    void Clear() noexcept { std::memset(bytes_, 0, sizeof bytes_); }
    void Free() noexcept {
        if (OnHeap()) delete[] View().data();
    }
    void Assign(std::string_view s) {
        // Copied first: s may point into this name.
        TShortName copy(s);
        *this = std::move(copy);
    }
    void Set(std::string_view s) {
        Clear();
        if (s.size() <= kInline) {
            if (!s.empty()) std::memcpy(bytes_, s.data(), s.size());
            bytes_[kTag] = static_cast<char>(s.size());
            return;
        }
        char* p = new char[s.size()];
        std::memcpy(p, s.data(), s.size());
        const auto n = static_cast<std::uint32_t>(s.size());
        std::memcpy(bytes_, &p, sizeof p);
        std::memcpy(bytes_ + sizeof p, &n, sizeof n);
        bytes_[kTag] = static_cast<char>(kHeap);
    }

    char bytes_[16];
};

static_assert(sizeof(TShortName) == 16);

} // namespace orlenth
