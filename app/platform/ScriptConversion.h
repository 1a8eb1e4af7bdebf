#pragma once
// The page's text in simplified or traditional characters, converted by phrase through
// OpenCC: a display choice over the same text, never a change of a stored text or file.
// Text comes in and goes out as GB18030 (the wrap engine's bytes, GBK included).
//
// Conversion goes by phrase (头发 becomes 頭髮, 干燥 乾燥, while 干涉 stays), so a text is
// only ever cut where no phrase can span: at line ends, or, in a line longer than a
// piece, after a punctuation mark or a space, and only failing that at a character.

#include "framework/text/TextLoad.h"

#include <QByteArray>

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orlenth::platform {

enum class Script {
    Original,    // the text as it is stored
    Simplified,  // 简体: OpenCC's t2s
    Traditional, // 繁體: OpenCC's s2tw, Taiwan's character forms (為, 說) that the faces draw
    // 繁體（台灣）: OpenCC's s2twp, which on top of s2tw's Taiwan character forms uses the
    // Taiwan vocabulary (软件 軟體, 信息 資訊): what a reader there expects of a phrase,
    // where s2tw only swaps characters.
    Taiwan,
};

struct ScriptName {
    Script script;
    const char* menuName; // UTF-8, as the menu shows it
    const char* key;      // as the settings keep it
    const char* config;   // OpenCC's configuration; null for the original
};

// Every script, in menu order, the original first.
std::span<const ScriptName> KnownScripts();
const ScriptName& NameOf(Script script);
// The script kept under `key`; nothing for a key no script has.
std::optional<Script> ScriptForKey(std::string_view key);

// One OpenCC configuration, loaded: the dictionaries stay in memory for as long as it
// lives. Converting never changes it, so one converter serves any number of threads.
class ScriptConverter {
public:
    // The process's converter for `script` (not the original), loaded on first use and
    // kept. A configuration or dictionary that is missing or damaged: EScriptError
    // "Cannot convert the text to %s: %s" naming the script and OpenCC's reason; asking
    // again tries again.
    static std::shared_ptr<const ScriptConverter> For(Script script);
    // A converter of the configuration file `config` (a path, or a name OpenCC looks for in
    // its data folder), called `name` in messages. Throws as For does.
    ScriptConverter(const std::string& config, std::string name);
    ~ScriptConverter();
    ScriptConverter(const ScriptConverter&) = delete;
    ScriptConverter& operator=(const ScriptConverter&) = delete;

    // Appends the conversion of `text` to `out`. Whole characters are converted; bytes
    // that are no GB18030 character (a stray lead byte, a cut-off character) and NUL
    // bytes go through unchanged, and phrases never span them. Characters OpenCC leaves
    // alone come back as the same bytes, GBK's and four-byte ones alike. Should OpenCC
    // fail: EScriptError.
    void Convert(std::string_view text, QByteArray& out) const;

    const std::string& Name() const { return name_; }

private:
    struct Library;
    std::unique_ptr<Library> library_;
    std::string name_;
};

// Where the next piece of `text` should end: after its last line end within the first
// `bound` bytes (at least 1); failing that, with more than `bound` bytes there or
// `complete` (no more will come), after the last punctuation mark or space before
// `bound`, else at the last character boundary before it, else after the first character.
// 0 when nothing can be cut yet (no line end, fewer than `bound` bytes, more to come).
// `complete` and `text` no longer than `bound`: all of it.
std::size_t PieceEnd(std::string_view text, std::size_t bound, bool complete);

// How much of a text is converted at once, before the page shows it: about a screen at
// the design's font (the rest follows from the background within milliseconds). OpenCC
// converts about 2 MB a second, so this is the part of the wait that grows with it.
inline constexpr std::size_t kFirstScriptPiece = 3 * 1024;
// How much the background converts between two publications: a few milliseconds' work,
// so that a text replaced meanwhile stops its conversion soon.
inline constexpr std::size_t kScriptPiece = 64 * 1024;

// `source` as `converter` converts it, arriving as a feed: the first piece (up to
// `firstBytes` of what `source` has ready, cut as PieceEnd cuts) is converted now, the
// rest on the load's thread in pieces of about `pieceBytes`, following `source` as its
// own producer writes it (run on that thread too). Giving up the returned load gives up
// `source`'s. The result is the same whatever the piece sizes, as long as every line is
// shorter than them. An error of `source`'s producer ends the text after what it had
// published, converted, and is passed on; so is an error of the conversion. A converted
// text longer than text::kMemoCapacity: EOutOfResources "Text exceeds memo capacity", the
// text ending before the piece that did not fit.
text::TextFeed ConvertedFeed(text::TextFeed source,
                             std::shared_ptr<const ScriptConverter> converter,
                             std::size_t firstBytes = kFirstScriptPiece,
                             std::size_t pieceBytes = kScriptPiece);

} // namespace orlenth::platform
