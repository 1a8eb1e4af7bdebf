#pragma once
// The wrap engine: GBK text broken into display lines at a width in pixels.

#include "framework/text/AdvanceCache.h"
#include "framework/text/GbkMetrics.h"
#include "framework/text/LineIndex.h"
#include "framework/text/MeasureDesk.h"
#include "framework/text/TextLoad.h"

#include <QByteArray>
#include <QFont>

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace orlenth::text {

class WrapJob;

// The most text the engine takes, in bytes: 512 MiB. Display lines address the text with
// 32-bit offsets, and a 300 MB novel must fit with room to spare. A larger text is refused
// with EOutOfResources "Text exceeds memo capacity".
inline constexpr std::size_t kMemoCapacity = std::size_t{512} * 1024 * 1024;

// At most this many bytes of a display line are handed out as its text.
inline constexpr std::size_t kMaxLineTextBytes = 4096;

// The engine wraps this much of a text at once, on the caller's thread, before it hands
// the rest to workers: several screens of any page, and all of an article.
inline constexpr std::size_t kWrapAtOnceBytes = 128 * 1024;

// A display line as a byte range of the text; the line break is not part of it.
struct DisplayLine {
    std::uint32_t start;
    std::uint32_t length;
    friend bool operator==(const DisplayLine&, const DisplayLine&) = default;
};

// Breaks GBK text into display lines, greedily.
//
// Hard breaks: CR LF, a lone CR and a lone LF each end a hard line; the bytes of a multi-byte
// character are never taken for a break (see GbkDecoder for stray lead bytes). An empty
// hard line gives one empty display line. The returned list leaves out the last display line
// when it is empty, so a text ending in a line break has no empty line at its end, an empty
// text has none at all and a text of one CR LF has one.
//
// Soft breaks: each display line is as long as fits within `width` pixels (the sum of its
// characters' advances), breaking only between whole characters (one, two or four bytes;
// an invalid byte is a character of its own with the advance of U+FFFD). A break never
// falls before a closing mark (，。？！”》 ...) or a space, nor after an opening mark
// (“《（ ...), nor inside a run of letters and digits (see BreakClass); the characters after the
// last allowed break move down together. Only when a line has no allowed break at all are these
// given up, the least first: a Latin run is split (at the last character that fits) before
// a line may end in an opening mark, and that before a line may start with a closing mark.
// So a run of Latin letters or digits that fits on a line of its own is never split. Spaces
// count towards the width of the line they end. A single character wider than `width` gets
// a line to itself, the only case in which a line is wider than `width`.
//
// Throws EOutOfResources when the text is longer than kMemoCapacity.
std::vector<DisplayLine> wrapText(std::string_view gbkText, double width,
                                  const GbkMetrics& metrics);

// The stateful engine that the reading page uses: text, width and font are set separately,
// and the lines are wrapped again when next asked for after any of them changed. The first
// kWrapAtOnceBytes are wrapped then and there; the rest of a longer text is wrapped by
// workers (see WrapJob) while the caller goes on, and lines come as they are done. A text
// may also arrive over time (TextFeed): its lines follow its bytes. Every member is for the
// thread that made the engine, which must run an event loop for progress to be heard.
class WrapEngine {
public:
    explicit WrapEngine(const QFont& font, int width = 0);
    ~WrapEngine();

    // Replaces the whole text. Throws EOutOfResources beyond kMemoCapacity and then keeps
    // the previous text.
    void setText(QByteArray gbkText);
    // Replaces the text with one that a producer writes (its own check of kMemoCapacity
    // and its errors are its own: see takeLoadError).
    void setText(TextFeed feed);
    // The whole text: waits for a text still arriving.
    QByteArray text();

    void setWidth(int widthPx);
    int width() const { return width_; }
    void setFont(const QFont& font);
    const QFont& font() const { return cache_->font(); }
    // Rows (the default) or columns; in columns the width set is the page's height and
    // each display line is a column, wrapped by the same rules.
    void setFlow(Flow flow);
    Flow flow() const { return flow_; }
    // The table the lines are measured with, for drawing them as long as they were wrapped.
    const GbkMetrics& metrics() const { return *metrics_; }

    // Every display line: waits for wrapping to end.
    std::size_t lineCount();
    // The display lines wrapped so far, without waiting; all of them once wrapped().
    std::size_t linesSoFar();
    bool wrapped();
    // The text of display line i, without its break, cut to kMaxLineTextBytes (and back to
    // the start of a character cut there). Waits for line i while it is being wrapped.
    // EListError when there is no line i.
    QByteArray line(std::size_t i);
    // Where display line i starts in the text; waits and throws as line() does.
    std::uint32_t lineStart(std::size_t i);
    // The display line holding text byte `offset` (its break counts with it): the last line
    // starting at or before it; waits until wrapping has passed the offset. 0 when none.
    std::size_t lineAt(std::uint32_t offset);

    // The text as it arrives, shared: another thread may read its published bytes (and
    // keeps them alive) while this engine goes on to another text.
    std::shared_ptr<const TextLoad> load() const { return text_; }

    // Called on the engine's thread, from its event loop, when lines were added, wrapping
    // ended or a text stopped arriving.
    void setOnProgress(std::function<void()> handler) { onProgress_ = std::move(handler); }
    // The error that ended a text's arrival, once; null when none (or already taken).
    std::exception_ptr takeLoadError();

private:
    void restart();
    void remeasure();
    void ensureStarted();
    void waitForLine(std::size_t i);
    std::pair<std::size_t, std::size_t> published();

    std::shared_ptr<TextLoad> text_;
    int width_;
    Flow flow_ = Flow::Rows;
    std::unique_ptr<AdvanceCache> cache_;
    std::unique_ptr<GbkMetrics> metrics_;
    std::unique_ptr<MeasureDesk> desk_; // for metrics_
    std::unique_ptr<LineIndex> lines_;
    std::shared_ptr<WrapJob> job_;
    std::size_t wrappedTo_ = 0; // where the lines end once no job runs
    bool dirty_ = true;
    bool errorTaken_ = false;
    std::function<void()> onProgress_;
};

} // namespace orlenth::text
