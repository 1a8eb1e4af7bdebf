#include "app/FindAllSearch.h"

#include "app/platform/DisplayText.h"
#include "framework/text/TextEncoding.h"
#include "framework/text/TextLoad.h"
#include "framework/text/WrapEngine.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <thread>

namespace orlenth {

namespace {

QString Flat(QString s) {
    for (QChar& c : s)
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
    return s;
}

} // namespace

QString HitContext(std::string_view text, const text::TSearchHit& hit, int chars) {
    const std::size_t at = std::min(hit.offset, text.size());
    const std::size_t end = std::min(at + hit.length, text.size());
    // A character takes at most four bytes: this many bytes either side hold the words.
    const std::size_t span = static_cast<std::size_t>(std::max(chars, 0)) * 4;
    const std::size_t from = text::CharacterStartAtOrAfter(text, at > span ? at - span : 0);
    const std::size_t to = text::CharacterStartAtOrBefore(text, std::min(text.size(), end + span));
    const QString before = DisplayTextToUnicode(text.substr(from, at - std::min(from, at)));
    const QString found = DisplayTextToUnicode(text.substr(at, end - at));
    const QString after = DisplayTextToUnicode(text.substr(end, to > end ? to - end : 0));
    return Flat(before.right(chars)) + QString::fromUtf8("【") + Flat(found) +
           QString::fromUtf8("】") + Flat(after.left(chars));
}

TFindAllProgress FindInAll(std::vector<TFindAllText>& texts, const text::TSearchPattern& pattern,
                           std::size_t cap, const std::atomic<bool>& cancel,
                           const std::function<void(std::vector<TFindAllHit>&&)>& found,
                           const std::function<void(const TFindAllProgress&)>& progress) {
    TFindAllProgress figures;
    if (pattern.empty()) return figures;
    for (std::size_t i = 0; i < texts.size() && !cancel.load(); ++i) {
        TFindAllText& t = texts[i];
        // The text of one entry at a time; it goes before the next is read.
        std::string article;
        std::unique_ptr<text::TextLoad> file;
        std::string_view text;
        if (t.path.empty()) {
            article = t.article.Text();
            t.article.Clear();
            text = article;
        } else {
            try {
                std::optional<platform::TextFile> opened = platform::TextFile::Open(t.path);
                // Listed, but no regular file any more (or never one): nothing to read.
                if (!opened)
                    ++figures.unreadable;
                else
                    file = std::make_unique<text::TextLoad>(std::move(*opened).FeedForDisplay(
                        text::kMemoCapacity, platform::TextFile::kPieceBytes, t.encoding));
            } catch (const std::exception&) {
                ++figures.unreadable;
            }
            if (file) {
                // Read on the load's own thread, a piece at a time; 停止 gives it up at once
                // (the load's end cancels its reader) instead of waiting for a big file.
                while (!file->loaded() && !cancel.load())
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                if (cancel.load()) break;
                if (file->error()) ++figures.unreadable;
                text = std::string_view(file->bytes(), file->available());
            }
        }
        std::vector<TFindAllHit> hits;
        for (std::size_t from = 0; figures.hits < cap && !cancel.load();) {
            // A few megabytes at a time, so that 停止 is heard within a moment.
            const text::TSearchStep step =
                text::FindNext(text, from, pattern, std::size_t{4} << 20);
            if (step.outcome == text::TSearchStep::Outcome::Ended) break;
            if (step.outcome == text::TSearchStep::Outcome::Paused) {
                from = step.resume;
                continue;
            }
            hits.push_back({i, step.hit, HitContext(text, step.hit)});
            ++figures.hits;
            from = step.hit.offset + 1;
        }
        if (cancel.load()) break;
        ++figures.searched;
        if (figures.hits >= cap) {
            // Whether more would have come is not looked for: the list says it was cut.
            figures.cut = true;
        }
        if (!hits.empty() && found) found(std::move(hits));
        if (progress) progress(figures);
        if (figures.cut) break;
    }
    return figures;
}

} // namespace orlenth
