#pragma once
// 查找全部 without widgets: the hits of one pattern in every built-in article and every
// folder file, each with the words around it, for the results list. Runs on a worker
// thread; memory stays bounded whatever the folder holds: one folder file is read at a
// time (as the page reads it, so any encoding works), and the hits stop at a cap.

#include "app/platform/TextDetection.h"
#include "framework/text/TextSearch.h"
#include "library/LineList.h"

#include <QString>

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlenth {

// One text to search: a built-in article (its lines, copied from the library: a copy of
// lines not yet unpacked is unpacked on the worker, apart from the library's own) or a
// folder file (its path, read when its turn comes).
struct TFindAllText {
    int category = 0;
    int entry = 0;
    QString categoryName;
    QString title;
    TLineList article;
    std::string path;     // a folder file's path; empty for an article
    std::string fileName; // its name in the folder, as the folder tab lists it
    // The encoding the reader chose for the file (编码), else the detection's.
    std::optional<platform::FileEncoding> encoding;
};

struct TFindAllHit {
    std::size_t text = 0; // index into the texts searched
    text::TSearchHit hit;
    QString context;
};

// The words around a hit: up to `chars` characters either side and the hit in 【】, line
// breaks and tabs shown as spaces, decoded from the page's GB18030 bytes.
QString HitContext(std::string_view text, const text::TSearchHit& hit, int chars = 20);

struct TFindAllProgress {
    std::size_t searched = 0; // texts done
    std::size_t hits = 0;
    std::size_t unreadable = 0; // folder files that could not be read
    bool cut = false;           // the cap was reached: the search stopped there
};

// Searches `texts` in order, up to `cap` hits. `found` gets each text's hits (at most the
// cap in all) once that text is done, `progress` the figures after each text; both on
// the calling thread. Stops early when `cancel` is set, within a moment even while a big
// file is being read. Never throws for a file's sake: a file that cannot be read (gone, no
// permission, too big, a read failing on the way) counts as unreadable, a file cut short by
// a failure is searched as far as it was read.
TFindAllProgress FindInAll(std::vector<TFindAllText>& texts, const text::TSearchPattern& pattern,
                           std::size_t cap, const std::atomic<bool>& cancel,
                           const std::function<void(std::vector<TFindAllHit>&&)>& found,
                           const std::function<void(const TFindAllProgress&)>& progress);

} // namespace orlenth
