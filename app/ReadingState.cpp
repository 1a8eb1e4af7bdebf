#include "app/ReadingState.h"

#include "app/platform/DisplayName.h"
#include "app/platform/FileEntry.h"
#include "app/platform/FolderListing.h"
#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"
#include "framework/text/WrapEngine.h"
#include "library/WJKStringList.h"
#include "library/WJKStringListItem.h"

#include <algorithm>

namespace orlenth {

TReadingState::TReadingState(TContainers containers) : containers_(containers) {}

void TReadingState::SetFolder(std::string folder, std::string namedFile) {
    folder_ = std::move(folder);
    namedFile_ = std::move(namedFile);
    folderNames_.clear();
}

QByteArrayList TReadingState::Titles(int category) {
    QByteArrayList rows;
    if (IsBuiltInCategory(category)) {
        const TWJKStringList* container = containers_[static_cast<std::size_t>(category)];
        if (!container) return rows;
        const TLineList& catalogue = container->GetArrayItem(0)->GetList();
        rows.reserve(catalogue.Count());
        for (int i = 0; i < catalogue.Count(); ++i) {
            const std::string_view line = catalogue[i];
            rows.append(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
        }
        return rows;
    }
    if (category != kFolderCategory || folder_.empty()) return rows;
    folderNames_ = platform::ListTextEntries(folder_);
    // The named file is a row whatever its name: "Open with" passes any text file.
    if (!namedFile_.empty() &&
        std::find(folderNames_.begin(), folderNames_.end(), namedFile_) == folderNames_.end() &&
        platform::EntryExists(folder_ + namedFile_)) {
        folderNames_.push_back(namedFile_);
        platform::SortForReading(folderNames_);
    }
    rows.reserve(static_cast<qsizetype>(folderNames_.size()));
    for (const std::string& name : folderNames_)
        rows.append(UnicodeToDisplayBytes(platform::DisplayName(name)));
    return rows;
}

int TReadingState::FolderRow(const std::string& name) const {
    const auto it = std::find(folderNames_.begin(), folderNames_.end(), name);
    return it == folderNames_.end() ? -1 : static_cast<int>(it - folderNames_.begin());
}

std::string TReadingState::FolderPath(int row) const {
    if (row < 0 || row >= static_cast<int>(folderNames_.size())) return {};
    return folder_ + folderNames_[static_cast<std::size_t>(row)];
}

TReadingState::TOpened TReadingState::Open(int category, int entry) {
    TOpened opened;
    if (IsBuiltInCategory(category)) {
        const TWJKStringList* container = containers_[static_cast<std::size_t>(category)];
        if (!container) return opened;
        // Item 0 is the catalogue; entry i's text is item i + 1.
        const std::string text = container->GetArrayItem(entry + 1)->GetList().Text();
        opened.kind = TOpened::Kind::Article;
        opened.article = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
        category_ = category;
        entry_ = entry;
        file_.reset();
        return opened;
    }
    if (category != kFolderCategory) return opened;
    const std::string path = FolderPath(entry);
    if (path.empty()) return opened;
    switch (platform::KindOf(path)) {
    case platform::EntryKind::Directory:
    case platform::EntryKind::Special:
        return opened;
    case platform::EntryKind::Missing:
        // Gone since listed, a dangling link, a link loop: what open() would say too, but
        // without opening whatever may have appeared there meanwhile.
        throw EFOpenError::forFile(path);
    case platform::EntryKind::Other:
        break;
    }
    std::optional<platform::TextFile> file = platform::TextFile::Open(path);
    if (!file) return opened;
    if (file->Size() > text::kMemoCapacity) throw EOutOfResources(formatMessage(Msg::MemoCapacity));
    category_ = category;
    entry_ = entry;
    file_ = TFileIdentity{platform::CanonicalPath(path), file->Size(), file->Modified()};
    return {TOpened::Kind::File, {}, std::move(file), *file_};
}

void TReadingState::ClearEntry() {
    category_ = entry_ = -1;
    file_.reset();
}

int WrappedLineAt(TDisplayLines& lines, std::uint32_t offset) {
    int low = 0, high = lines.Count() - 1;
    if (high < 0) return 0;
    // The last line starting at or before the offset; line 0 starts at 0.
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (lines.Start(mid) <= offset)
            low = mid;
        else
            high = mid - 1;
    }
    return low;
}

std::uint32_t TReadingState::PlaceAt(TDisplayLines& lines, std::int64_t position, int pitch) {
    const int count = lines.Count();
    if (count == 0 || position <= 0 || pitch <= 0) return 0;
    return lines.Start(TopLineAt(position, pitch, count).line);
}

std::optional<std::int64_t> TReadingState::PositionOf(TDisplayLines& lines, std::uint32_t offset,
                                                      int pitch) {
    if (offset == 0) return 0;
    const int count = lines.Count();
    if (!lines.Complete()) {
        // The last wrapped line may still grow past the offset: only a line that starts
        // after it proves the offset's line is whole.
        if (count == 0 || lines.Start(count - 1) <= offset) return std::nullopt;
    } else if (count == 0 || offset >= lines.TextSize()) {
        return 0;
    }
    return PositionOfTopLine({WrappedLineAt(lines, offset), 0}, pitch);
}

LineRange TReadingState::LinesInView(TDisplayLines& lines, std::int64_t position, int height,
                                     int cellHeight, int pitch) {
    return VisibleLines(position, height, cellHeight, pitch, lines.Count());
}

} // namespace orlenth
