#pragma once
// Whether one line of a GBK (GB18030) text looks like a chapter heading, and by which rule.
// The scanner (HeadingScan.h) runs this on every line that could be one; the table of
// contents is built from what it finds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace orlenth::text {

// The rules, in the order they are tried on a line. A line matches at most one.
enum class HeadingRule : std::uint8_t {
    // 第 + number + suffix, with an optional title after it (a space or not):
    // "第十二章 风起", "第12章风起", "第１２回", "第 3 节". Numbers are Chinese numerals
    // (〇零一二三四五六七八九十百千万两, and 壹贰叁肆伍陆柒捌玖拾佰仟), ASCII digits or full-width
    // digits, one kind to a number. Spaces between 第, the number and the suffix are allowed.
    Zhang, // 章
    Hui,   // 回
    Jie,   // 节
    Juan,  // 卷
    Ji,    // 集
    Bu,    // 部
    Pian,  // 篇
    // A named part: one of kHeadingNames alone or followed by a separator and a title
    // ("楔子", "尾声 归去", "后记：写在最后"); 番外 may also be followed directly by a number
    // or 篇 ("番外一", "番外篇").
    Named,
    // "Chapter N" in any case, N ASCII digits or Roman numerals, then nothing or a separator
    // and a title ("CHAPTER IV", "Chapter 12: The Road").
    English,
    Count, // the number of matching rules above
    // Not matched on lines: cuts made every so many bytes in a text without headings, and
    // lines a user's pattern matched.
    Virtual = Count,
    User,
};
inline constexpr std::size_t kHeadingRuleCount = static_cast<std::size_t>(HeadingRule::Count);

// The named parts, longest first where one begins another: 序章 序言 序幕 序曲 序 楔子 引子
// 引言 前言 尾声 后记 终章 番外 完本感言 完结感言 上架感言.
inline constexpr std::u32string_view kHeadingNames[] = {
    U"序章", U"序言", U"序幕", U"序曲", U"序",   U"楔子",     U"引子",     U"引言",
    U"前言", U"尾声", U"后记", U"终章", U"番外", U"完本感言", U"完结感言", U"上架感言"};

// A line is at most this many characters after its leading spaces (ASCII spaces, tabs and
// U+3000), trailing spaces included.
inline constexpr std::size_t kMaxHeadingChars = 30;
// And at most this many bytes, leading spaces included: 30 characters of up to four bytes
// with room for indentation. A longer line is never a heading, so that a line cut by a
// piece boundary is carried for at most this many bytes.
inline constexpr std::size_t kMaxHeadingLineBytes = 255;

struct HeadingMatch {
    HeadingRule rule;
    // The number after 第 or Chapter (a Chinese numeral read as its value, 一〇三 and
    // 一百零三 both 103), at most 0xFFFFFFFF; 0 for a named part.
    std::uint32_t number;
};

// Whether `line` (bytes of one line, without its line break; any bytes) is a heading.
// Never reads outside `line`. Not a heading, whatever the rules say:
// - a line of more than kMaxHeadingLineBytes bytes or kMaxHeadingChars characters;
// - a line that ends as a sentence or clause does (。，；、 , ;), which a title never does;
// - a suffix that is the first character of a common word, joined to it without a space:
//   回合, 集团/集体/集中/集合/集市/集会, 部分/部队/部门/部长/部落/部位, 节课/节目/节日, 章程,
//   篇文/篇幅 ("第三回合他才…", "第三集团军").
// "第一次", "第二天", "第一名" and a bare "第三" have no suffix and never match.
std::optional<HeadingMatch> MatchHeadingLine(std::string_view line);

// For each byte, whether a line whose first character (after its leading spaces) begins
// with it can be a heading: 'C', 'c' and the GBK lead bytes of the characters that begin a
// rule (第, the named parts' first characters). Lets the scanner pass over most lines
// without decoding them; MatchHeadingLine gives the same answers without it.
const std::array<bool, 256>& HeadingFirstBytes();

// The value of a Chinese numeral of the characters above (for tests); nullopt when it holds
// anything else, or mixes in digits.
std::optional<std::uint32_t> ChineseNumberValue(std::u32string_view numeral);

} // namespace orlenth::text
