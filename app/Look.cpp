#include "app/Look.h"

#include "app/settings/SettingsFile.h"
#include "framework/text/TextEncoding.h"

#include <limits>
#include <string_view>

namespace orlenth {

namespace {

constexpr int kIntMax = std::numeric_limits<int>::max();
constexpr int kIntMin = std::numeric_limits<int>::min();
// A TColor: a 24-bit colour, or a system colour's number with the top bit set.
constexpr int kColorMin = kIntMin;
constexpr int kColorMax = 0x00FFFFFF;
// Font heights past these draw nothing a reader could use, and cost the wrap engine dearly.
constexpr int kFontHeightLimit = 1000;
// The bar has about a dozen controls; names are short.
constexpr int kMaxBarItems = 64;
constexpr int kMaxNameChars = 64;

template <typename T> void take(T& into, const std::optional<T>& value) {
    if (value) into = *value;
}

} // namespace

TLook ReadLook(const settings::TSettingsFile& file, const TLook& design) {
    TLook look = design;
    if (const auto name = file.String(QStringLiteral("font/name"), kMaxNameChars)) {
        const std::string gbk = UnicodeToGbk(*name);
        look.fontName = QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size()));
    }
    take(look.fontHeight,
         file.Int(QStringLiteral("font/height"), -kFontHeightLimit, kFontHeightLimit));
    take(look.fontStyle, file.Int(QStringLiteral("font/style"), 0, 15));
    take(look.fontColor, file.Int(QStringLiteral("font/color"), kColorMin, kColorMax));
    take(look.fontCharset, file.Int(QStringLiteral("font/charset"), 0, 255));
    take(look.pageColor, file.Int(QStringLiteral("look/pageColor"), kColorMin, kColorMax));
    take(look.frameColor, file.Int(QStringLiteral("look/frameColor"), kColorMin, kColorMax));
    take(look.edgeColor, file.Int(QStringLiteral("look/edgeColor"), kColorMin, kColorMax));
    take(look.frame, file.Bool(QStringLiteral("look/frame")));
    take(look.margins, file.Bool(QStringLiteral("look/margins")));
    take(look.listHidden, file.Bool(QStringLiteral("look/listHidden")));
    take(look.interval, file.Int(QStringLiteral("look/interval"), 1, 300));
    take(look.leftBar, file.List(QStringLiteral("look/leftBar"), kMaxBarItems, kMaxNameChars));
    take(look.listWidth, file.Int(QStringLiteral("look/listWidth"), 0, 100000));
    take(look.night, file.Bool(QStringLiteral("night/on")));
    take(look.nightColors.page, file.Int(QStringLiteral("night/pageColor"), kColorMin, kColorMax));
    take(look.nightColors.frame,
         file.Int(QStringLiteral("night/frameColor"), kColorMin, kColorMax));
    take(look.nightColors.edge, file.Int(QStringLiteral("night/edgeColor"), kColorMin, kColorMax));
    take(look.nightColors.text, file.Int(QStringLiteral("night/textColor"), kColorMin, kColorMax));
    take(look.vertical, file.Bool(QStringLiteral("look/vertical")));
    return look;
}

void WriteLook(settings::TSettingsFile& file, const TLook& look) {
    file.Set(QStringLiteral("font/name"),
             GbkToUnicode(std::string_view(look.fontName.constData(),
                                           static_cast<std::size_t>(look.fontName.size()))));
    file.Set(QStringLiteral("font/height"), look.fontHeight);
    file.Set(QStringLiteral("font/style"), look.fontStyle);
    file.Set(QStringLiteral("font/color"), look.fontColor);
    file.Set(QStringLiteral("font/charset"), look.fontCharset);
    file.Set(QStringLiteral("look/pageColor"), look.pageColor);
    file.Set(QStringLiteral("look/frameColor"), look.frameColor);
    file.Set(QStringLiteral("look/edgeColor"), look.edgeColor);
    file.Set(QStringLiteral("look/frame"), look.frame);
    file.Set(QStringLiteral("look/margins"), look.margins);
    file.Set(QStringLiteral("look/listHidden"), look.listHidden);
    file.Set(QStringLiteral("look/interval"), look.interval);
    file.Set(QStringLiteral("look/leftBar"), look.leftBar);
    file.Set(QStringLiteral("look/listWidth"), look.listWidth);
    file.Set(QStringLiteral("night/on"), look.night);
    file.Set(QStringLiteral("night/pageColor"), look.nightColors.page);
    file.Set(QStringLiteral("night/frameColor"), look.nightColors.frame);
    file.Set(QStringLiteral("night/edgeColor"), look.nightColors.edge);
    file.Set(QStringLiteral("night/textColor"), look.nightColors.text);
    file.Set(QStringLiteral("look/vertical"), look.vertical);
}

} // namespace orlenth
