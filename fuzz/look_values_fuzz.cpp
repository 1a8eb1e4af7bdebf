// The values of a settings file turned into the window's look (ReadLook: the font, colours,
// switches, the auto-scroll interval, the tool bar's order, the list's width, the night
// colours): whatever the file holds, every field is within its bounds or keeps the design's
// value.
//
// An input starting with 0xFF drives a writer of this target's own instead: each look key is
// left out or given a number in or out of its range, a number spelt oddly ("+7", "007",
// "5x", "1e3", twenty digits), a word for a switch, a name or a list of names of any length.
// Each field must then be exactly the value written when it is valid by the rules stated
// here (decimal [+-]digits within the range, "true" or "false", names cut at 64 characters
// and lists at 64 items), and the design's otherwise.

#include "FuzzFolder.h"
#include "FuzzTarget.h"

#include "app/Look.h"
#include "app/settings/SettingsFile.h"

#include <QCoreApplication>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <string>

namespace {

using orlenth::TLook;
using orlenth::settings::TSettingsFile;

const FuzzFolder& folder() {
    static const FuzzFolder f("look");
    return f;
}

constexpr int kColorMin = INT_MIN;
constexpr int kColorMax = 0x00FFFFFF;

// Values no file is likely to hold by chance, so that a field that kept the design shows it.
TLook Design() {
    TLook d;
    d.fontName = "DesignFace";
    d.fontHeight = -13;
    d.fontStyle = 5;
    d.fontColor = 0x123456;
    d.fontCharset = 134;
    d.pageColor = 0x0A0B0C;
    d.frameColor = -77;
    d.edgeColor = 0x00FFFF;
    d.frame = true;
    d.margins = false;
    d.listHidden = true;
    d.interval = 123;
    d.leftBar = {"DesignA", "DesignB"};
    d.listWidth = 321;
    d.night = true;
    d.nightColors = {1, 2, 3, 4};
    d.vertical = true;
    return d;
}

struct TIntKey {
    const char* key;
    int min, max;
    int TLook::*field = nullptr;
    int orlenth::TPageColors::*night = nullptr;
};

const TIntKey kInts[] = {
    {"font/height", -1000, 1000, &TLook::fontHeight},
    {"font/style", 0, 15, &TLook::fontStyle},
    {"font/color", kColorMin, kColorMax, &TLook::fontColor},
    {"font/charset", 0, 255, &TLook::fontCharset},
    {"look/pageColor", kColorMin, kColorMax, &TLook::pageColor},
    {"look/frameColor", kColorMin, kColorMax, &TLook::frameColor},
    {"look/edgeColor", kColorMin, kColorMax, &TLook::edgeColor},
    {"look/interval", 1, 300, &TLook::interval},
    {"look/listWidth", 0, 100000, &TLook::listWidth},
    {"night/pageColor", kColorMin, kColorMax, nullptr, &orlenth::TPageColors::page},
    {"night/frameColor", kColorMin, kColorMax, nullptr, &orlenth::TPageColors::frame},
    {"night/edgeColor", kColorMin, kColorMax, nullptr, &orlenth::TPageColors::edge},
    {"night/textColor", kColorMin, kColorMax, nullptr, &orlenth::TPageColors::text},
};

int& Field(TLook& look, const TIntKey& k) {
    return k.field ? look.*k.field : look.nightColors.*k.night;
}

int FieldOf(const TLook& look, const TIntKey& k) {
    return k.field ? look.*k.field : look.nightColors.*k.night;
}

// The store opened with standard error sent nowhere: a damaged file is said there.
std::unique_ptr<TSettingsFile> OpenQuietly(const std::filesystem::path& path) {
    std::fflush(stderr);
    const int kept = ::dup(2);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    ::dup2(null, 2);
    auto file = TSettingsFile::Open(QFile::decodeName(QByteArray(path.c_str())));
    std::fflush(stderr);
    ::dup2(kept, 2);
    ::close(kept);
    ::close(null);
    return file;
}

struct TBoolKey {
    const char* key;
    bool TLook::*field;
};

const TBoolKey kBools[] = {
    {"look/frame", &TLook::frame},           {"look/margins", &TLook::margins},
    {"look/listHidden", &TLook::listHidden}, {"night/on", &TLook::night},
    {"look/vertical", &TLook::vertical},
};

constexpr int kMaxNames = 64;
constexpr int kMaxNameChars = 64;

// Whatever the file held: within bounds, or the design's.
void CheckBounds(const TLook& look, const TLook& design) {
    for (const TIntKey& k : kInts) {
        const int v = FieldOf(look, k);
        if ((v < k.min || v > k.max) && v != FieldOf(design, k))
            FuzzFailure("a number of the look is out of its range");
    }
    if (look.leftBar.size() > kMaxNames) FuzzFailure("the tool bar holds too many names");
    for (const QString& name : look.leftBar)
        if (name.size() > kMaxNameChars) FuzzFailure("a tool bar name is too long");
    // GB18030 takes at most four bytes a character.
    if (look.fontName.size() > 4 * kMaxNameChars) FuzzFailure("the font name is too long");
}

class Draw {
public:
    Draw(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    unsigned Next(unsigned below) { return pos_ < size_ ? data_[pos_++] % below : 0; }
    std::uint32_t Word() {
        std::uint32_t w = 0;
        for (int i = 0; i < 4; ++i) w = (w << 8) | Next(256);
        return w;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

// The value a decimal number takes by the rules above, or nothing.
std::optional<long long> Decimal(const std::string& s) {
    std::size_t i = s.starts_with('+') || s.starts_with('-') ? 1 : 0;
    if (i == s.size() || s.size() - i > 18) return std::nullopt;
    long long v = 0;
    for (std::size_t j = i; j < s.size(); ++j) {
        if (s[j] < '0' || s[j] > '9') return std::nullopt;
        v = v * 10 + (s[j] - '0');
    }
    return s[0] == '-' ? -v : v;
}

// A number as a file might spell it.
std::string NumberText(Draw& draw, const TIntKey& k) {
    const long long span = static_cast<long long>(k.max) - k.min + 1;
    const long long in =
        k.min + static_cast<long long>(draw.Word() % static_cast<unsigned long long>(span));
    switch (draw.Next(10)) {
    case 0:
        return std::to_string(static_cast<long long>(k.min) - 1);
    case 1:
        return std::to_string(static_cast<long long>(k.max) + 1);
    case 2:
        return "+" + std::to_string(in < 0 ? -in : in);
    case 3:
        return "00" + std::to_string(in < 0 ? -in : in);
    case 4:
        return std::to_string(in) + "x";
    case 5:
        return "1e3";
    case 6:
        return "99999999999999999999";
    case 7:
        return std::to_string(k.min);
    case 8:
        return std::to_string(k.max);
    default:
        return std::to_string(in);
    }
}

// A name from letters, digits and two characters GBK holds, as the file holds it and as the
// font keeps it in GBK.
const char* const kNamePieces[] = {"A", "z", "7", "_", "Tool", "宋", "体"};
const char* const kNameGbk[] = {"A", "z", "7", "_", "Tool", "\xCB\xCE", "\xCC\xE5"};

struct TName {
    std::string utf8;
    QByteArray gbkCut; // its first kMaxNameChars characters in GBK
    QString cut;
};

TName Name(Draw& draw) {
    TName n;
    int chars = 0;
    for (unsigned count = draw.Next(90); count > 0; --count) {
        const unsigned p = draw.Next(std::size(kNamePieces));
        n.utf8 += kNamePieces[p];
        const QString piece = QString::fromUtf8(kNamePieces[p]);
        for (qsizetype i = 0; i < piece.size(); ++i, ++chars)
            if (chars < kMaxNameChars) {
                n.cut += piece[i];
                n.gbkCut += p >= 5 ? QByteArray(kNameGbk[p]) : QByteArray(1, kNameGbk[p][i]);
            }
    }
    return n;
}

int RunWritten(const std::uint8_t* data, std::size_t size, const TLook& design) {
    Draw draw(data, size);
    TLook want = design;
    std::string text;
    const auto line = [&](const char* key, const std::string& value) {
        text += "[" + std::string(key, std::strchr(key, '/')) + "]\n";
        text += std::string(std::strchr(key, '/') + 1) + "=" + value + "\n";
    };
    for (const TIntKey& k : kInts) {
        if (draw.Next(4) == 0) continue;
        const std::string value = NumberText(draw, k);
        line(k.key, value);
        if (const auto v = Decimal(value); v && *v >= k.min && *v <= k.max)
            Field(want, k) = static_cast<int>(*v);
    }
    const char* const words[] = {"true", "false", "True", "1", "yes", "", "falsey"};
    for (const TBoolKey& k : kBools) {
        if (draw.Next(4) == 0) continue;
        const std::string word = words[draw.Next(std::size(words))];
        line(k.key, word);
        if (word == "true" || word == "false") want.*k.field = word == "true";
    }
    if (draw.Next(4) != 0) {
        const TName name = Name(draw);
        line("font/name", "\"" + name.utf8 + "\"");
        want.fontName = name.gbkCut;
    }
    if (draw.Next(4) != 0) {
        const unsigned count = draw.Next(80);
        std::string value = count == 0 ? "@Invalid()" : "";
        QStringList names;
        for (unsigned i = 0; i < count; ++i) {
            const TName name = Name(draw);
            value += (i > 0 ? ", \"" : "\"") + name.utf8 + "\"";
            if (names.size() < kMaxNames) names.append(name.cut);
        }
        line("look/leftBar", value);
        want.leftBar = names;
    }
    const auto path = folder() / "orlenth.conf";
    std::ofstream(path, std::ios::binary) << text;
    const auto file = OpenQuietly(path);
    if (!file->Reading()) FuzzFailure("a written file was not taken");
    const TLook got = orlenth::ReadLook(*file, design);
    CheckBounds(got, design);
    for (const TIntKey& k : kInts)
        if (FieldOf(got, k) != FieldOf(want, k))
            FuzzFailure("a number of the look is not what was written");
    for (const TBoolKey& k : kBools)
        if (got.*k.field != want.*k.field)
            FuzzFailure("a switch of the look is not what was written");
    if (got.fontName != want.fontName) FuzzFailure("the font name is not what was written");
    if (got.leftBar != want.leftBar) FuzzFailure("the tool bar is not what was written");
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QCoreApplication::setApplicationName(QStringLiteral("orlenth"));
    folder().HoldSettings();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const TLook design = Design();
    if (size > 0 && data[0] == 0xFF) return RunWritten(data + 1, size - 1, design);
    const auto path = folder() / "orlenth.conf";
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const auto file = OpenQuietly(path);
    const TLook got = orlenth::ReadLook(*file, design);
    CheckBounds(got, design);
    // A file that cannot be read leaves the design as it is.
    if (!file->Reading() && got != design) FuzzFailure("an unread file changed the look");
    return 0;
}
