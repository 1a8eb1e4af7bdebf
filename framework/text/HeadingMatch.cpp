#include "framework/text/HeadingMatch.h"

#include "framework/text/GbkDecoder.h"

#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <limits>

namespace orlenth::text {

namespace {

constexpr std::uint64_t kNumberCap = std::numeric_limits<std::uint32_t>::max();

bool isSpace(char32_t c) {
    return c == U' ' || c == U'\t' || c == 0x3000;
}

// What may stand between a name or number and its title.
bool isSeparator(char32_t c) {
    switch (c) {
    case U':':
    case U'：':
    case U'·':
    case U'、':
    case U'—':
    case U'-':
    case U'.':
    case U'．':
    case U'（':
    case U'(':
    case U'【':
    case U'[':
    case U'《':
    case U'「':
        return true;
    default:
        return isSpace(c);
    }
}

// The characters a heading can begin with: anything else is rejected before the line is
// decoded, which is all the work most lines of a novel cost.
constexpr std::u32string_view kStartChars = U"第序楔引前尾后终番完上Cc";

bool canStartHeading(char32_t c) {
    return kStartChars.find(c) != std::u32string_view::npos;
}

int chineseDigit(char32_t c) {
    switch (c) {
    case U'〇':
    case U'零':
        return 0;
    case U'一':
    case U'壹':
        return 1;
    case U'二':
    case U'两':
    case U'贰':
        return 2;
    case U'三':
    case U'叁':
        return 3;
    case U'四':
    case U'肆':
        return 4;
    case U'五':
    case U'伍':
        return 5;
    case U'六':
    case U'陆':
        return 6;
    case U'七':
    case U'柒':
        return 7;
    case U'八':
    case U'捌':
        return 8;
    case U'九':
    case U'玖':
        return 9;
    default:
        return -1;
    }
}

std::uint64_t chineseUnit(char32_t c) {
    switch (c) {
    case U'十':
    case U'拾':
        return 10;
    case U'百':
    case U'佰':
        return 100;
    case U'千':
    case U'仟':
        return 1000;
    case U'万':
        return 10000;
    default:
        return 0;
    }
}

int asciiOrWideDigit(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= 0xFF10 && c <= 0xFF19) return static_cast<int>(c - 0xFF10);
    return -1;
}

bool isNumeralChar(char32_t c) {
    return chineseDigit(c) >= 0 || chineseUnit(c) != 0 || asciiOrWideDigit(c) >= 0;
}

std::optional<HeadingRule> suffixRule(char32_t c) {
    switch (c) {
    case U'章':
        return HeadingRule::Zhang;
    case U'回':
        return HeadingRule::Hui;
    case U'节':
        return HeadingRule::Jie;
    case U'卷':
        return HeadingRule::Juan;
    case U'集':
        return HeadingRule::Ji;
    case U'部':
        return HeadingRule::Bu;
    case U'篇':
        return HeadingRule::Pian;
    default:
        return std::nullopt;
    }
}

// A suffix joined to the next character that makes it a word, not a heading.
bool makesAWord(HeadingRule rule, char32_t next) {
    std::u32string_view words;
    switch (rule) {
    case HeadingRule::Zhang:
        words = U"程";
        break;
    case HeadingRule::Hui:
        words = U"合";
        break;
    case HeadingRule::Jie:
        words = U"课目日";
        break;
    case HeadingRule::Ji:
        words = U"团体中合市会";
        break;
    case HeadingRule::Bu:
        words = U"分队门长落位";
        break;
    case HeadingRule::Pian:
        words = U"文幅";
        break;
    default:
        return false;
    }
    return words.find(next) != std::u32string_view::npos;
}

std::optional<std::uint32_t> decimalValue(std::u32string_view digits) {
    std::uint64_t v = 0;
    for (char32_t c : digits) {
        const int d = asciiOrWideDigit(c);
        if (d < 0) return std::nullopt;
        v = std::min(kNumberCap, v * 10 + static_cast<std::uint64_t>(d));
    }
    return static_cast<std::uint32_t>(v);
}

std::optional<std::uint32_t> numberValue(std::u32string_view numeral) {
    if (numeral.empty()) return std::nullopt;
    if (asciiOrWideDigit(numeral.front()) >= 0) return decimalValue(numeral);
    return ChineseNumberValue(numeral);
}

std::optional<std::uint32_t> romanValue(std::u32string_view s) {
    const auto value = [](char32_t c) -> std::uint64_t {
        switch (c | 0x20) {
        case U'i':
            return 1;
        case U'v':
            return 5;
        case U'x':
            return 10;
        case U'l':
            return 50;
        case U'c':
            return 100;
        case U'd':
            return 500;
        case U'm':
            return 1000;
        default:
            return 0;
        }
    };
    // Subtractive pairs (IV, XC) take away; a token is at most 30 letters, so no overflow.
    std::int64_t total = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto v = static_cast<std::int64_t>(value(s[i]));
        if (v == 0) return std::nullopt;
        if (i + 1 < s.size() && static_cast<std::int64_t>(value(s[i + 1])) > v)
            total -= v;
        else
            total += v;
    }
    if (total <= 0) return std::nullopt;
    return static_cast<std::uint32_t>(total);
}

std::optional<HeadingMatch> matchNumbered(std::u32string_view s) {
    std::size_t i = 1; // after 第
    while (i < s.size() && isSpace(s[i])) ++i;
    const std::size_t from = i;
    while (i < s.size() && isNumeralChar(s[i])) ++i;
    const std::optional<std::uint32_t> number = numberValue(s.substr(from, i - from));
    if (!number) return std::nullopt;
    while (i < s.size() && isSpace(s[i])) ++i;
    if (i == s.size()) return std::nullopt;
    const std::optional<HeadingRule> rule = suffixRule(s[i]);
    if (!rule) return std::nullopt;
    ++i;
    if (i < s.size() && makesAWord(*rule, s[i])) return std::nullopt;
    return HeadingMatch{*rule, *number};
}

std::optional<HeadingMatch> matchNamed(std::u32string_view s) {
    for (std::u32string_view name : kHeadingNames) {
        if (!s.starts_with(name)) continue;
        const std::u32string_view rest = s.substr(name.size());
        if (rest.empty() || isSeparator(rest.front())) return HeadingMatch{HeadingRule::Named, 0};
        if (name == U"番外" && (isNumeralChar(rest.front()) || rest.front() == U'篇'))
            return HeadingMatch{HeadingRule::Named, 0};
    }
    return std::nullopt;
}

std::optional<HeadingMatch> matchEnglish(std::u32string_view s) {
    constexpr std::u32string_view kWord = U"chapter";
    if (s.size() <= kWord.size()) return std::nullopt;
    for (std::size_t i = 0; i < kWord.size(); ++i)
        if ((s[i] | 0x20) != kWord[i]) return std::nullopt;
    std::size_t i = kWord.size();
    if (!isSpace(s[i])) return std::nullopt;
    while (i < s.size() && isSpace(s[i])) ++i;
    std::size_t end = i;
    while (end < s.size() && !isSeparator(s[end])) ++end;
    const std::u32string_view token = s.substr(i, end - i);
    if (token.empty()) return std::nullopt;
    std::optional<std::uint32_t> number =
        token.front() >= U'0' && token.front() <= U'9' ? decimalValue(token) : romanValue(token);
    if (!number) return std::nullopt;
    return HeadingMatch{HeadingRule::English, *number};
}

} // namespace

const std::array<bool, 256>& HeadingFirstBytes() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        QStringEncoder encoder("GB18030", QStringConverter::Flag::Stateless);
        for (char32_t c : kStartChars) {
            const QByteArray bytes = encoder(QString::fromUcs4(&c, 1));
            if (!bytes.isEmpty()) t[static_cast<std::uint8_t>(bytes[0])] = true;
        }
        return t;
    }();
    return table;
}

std::optional<std::uint32_t> ChineseNumberValue(std::u32string_view numeral) {
    if (numeral.empty()) return std::nullopt;
    bool hasUnit = false;
    for (char32_t c : numeral) {
        if (chineseUnit(c) != 0)
            hasUnit = true;
        else if (chineseDigit(c) < 0)
            return std::nullopt;
    }
    if (!hasUnit) {
        // Digit by digit: 一〇三, 二零零.
        std::uint64_t v = 0;
        for (char32_t c : numeral)
            v = std::min(kNumberCap, v * 10 + static_cast<std::uint64_t>(chineseDigit(c)));
        return static_cast<std::uint32_t>(v);
    }
    // 十二, 一百零三, 两千, 三万五千: a unit takes the digit before it, or one when none
    // (十二 is twelve); 万 takes everything before it.
    std::uint64_t total = 0, section = 0, digit = 0;
    bool haveDigit = false;
    for (char32_t c : numeral) {
        const std::uint64_t unit = chineseUnit(c);
        if (unit == 0) {
            digit = static_cast<std::uint64_t>(chineseDigit(c));
            haveDigit = true;
        } else if (unit == 10000) {
            const std::uint64_t before = section + digit;
            total = std::min(kNumberCap, total + (before == 0 ? 1 : before) * unit);
            section = digit = 0;
            haveDigit = false;
        } else {
            section = std::min(kNumberCap, section + (haveDigit ? digit : 1) * unit);
            digit = 0;
            haveDigit = false;
        }
    }
    return static_cast<std::uint32_t>(std::min(kNumberCap, total + section + digit));
}

std::optional<HeadingMatch> MatchHeadingLine(std::string_view line) {
    if (line.empty() || line.size() > kMaxHeadingLineBytes) return std::nullopt;
    const char* p = line.data();
    const char* const end = p + line.size();
    while (p < end) {
        if (*p == ' ' || *p == '\t') {
            ++p;
        } else if (end - p >= 2 && static_cast<std::uint8_t>(p[0]) == 0xA1 &&
                   static_cast<std::uint8_t>(p[1]) == 0xA1) {
            p += 2; // U+3000
        } else {
            break;
        }
    }
    if (p == end) return std::nullopt;
    const GbkDecoder& decoder = GbkDecoder::instance();
    std::array<char32_t, kMaxHeadingChars> chars;
    std::size_t n = 0;
    while (p < end) {
        if (n == chars.size()) return std::nullopt;
        const GbkChar c = decoder.next(p, end);
        if (n == 0 && !canStartHeading(c.codePoint)) return std::nullopt;
        chars[n++] = c.codePoint;
        p += c.length;
    }
    while (n > 0 && isSpace(chars[n - 1])) --n;
    const std::u32string_view s(chars.data(), n);
    switch (s.back()) {
    case U'。':
    case U'，':
    case U'；':
    case U'、':
    case U',':
    case U';':
        return std::nullopt;
    default:
        break;
    }
    if (s.front() == U'第') return matchNumbered(s);
    if (s.front() == U'C' || s.front() == U'c') return matchEnglish(s);
    return matchNamed(s);
}

} // namespace orlenth::text
