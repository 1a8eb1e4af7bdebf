#pragma once
// Where the reader is: where each category's entries come from (a built-in container, or
// the listing of the folder the folder tab shows), the entry on show, and the place read
// in it as the text offset of the top display line. No widgets: the main window keeps its
// tab strip, title list and page in step with it, and tests drive it alone.

#include "app/PageGeometry.h"
#include "app/platform/DisplayText.h"

#include <QByteArray>
#include <QByteArrayList>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlenth {

class TWJKStringList;

// The tab strip's numbering: the built-in categories first, the folder's tab after them.
inline constexpr int kBuiltInCategories = 5;
inline constexpr int kFolderCategory = kBuiltInCategories;

constexpr bool IsBuiltInCategory(int category) {
    return category >= 0 && category < kBuiltInCategories;
}

// What turning a place into a scroll position and back needs of the display lines. None
// of it may wait for lines still being wrapped.
class TDisplayLines {
public:
    virtual ~TDisplayLines() = default;
    // The lines wrapped so far.
    virtual int Count() = 0;
    // Whether Count() is final.
    virtual bool Complete() = 0;
    // Where line i (0 <= i < Count()) starts in the text.
    virtual std::uint32_t Start(int i) = 0;
    // The text's length in bytes; asked only once Complete().
    virtual std::uint64_t TextSize() = 0;
};

// A folder file as it was when opened: what its remembered place is keyed and checked by.
struct TFileIdentity {
    std::string canonicalPath; // links and "." / ".." resolved; the path as given when that fails
    std::uint64_t size = 0;
    std::int64_t modified = 0; // milliseconds since the epoch

    bool operator==(const TFileIdentity&) const = default;
};

class TReadingState {
public:
    using TContainers = std::array<const TWJKStringList*, kBuiltInCategories>;

    // The built-in categories' containers, in tab order; a null one has no entries.
    explicit TReadingState(TContainers containers);

    // The folder the folder tab lists (ending in '/'; empty: no folder tab) and the file
    // in it that is listed whatever its name (empty: none). Nothing is read yet.
    void SetFolder(std::string folder, std::string namedFile = {});
    const std::string& Folder() const { return folder_; }
    const std::string& NamedFile() const { return namedFile_; }
    bool HasFolder() const { return !folder_.empty(); }

    // The titles of `category` as the title list shows them (GBK): a built-in category's
    // catalogue, or the folder listed anew (its *.txt entries and the named file, GBK names
    // decoded, in reading order). Any other category has none. Never throws for the file
    // system's sake: a folder gone or unreadable has no entries.
    QByteArrayList Titles(int category);

    // The folder listing's row for file name `name` (bytes as the file system has them),
    // or -1; and the path of a row, empty when there is no such row.
    int FolderRow(const std::string& name) const;
    std::string FolderPath(int row) const;

    // What opening an entry gives. Article: a built-in text, whole. File: a folder file,
    // open and not yet read. Nothing: no such row, or the row names a folder, a FIFO or a
    // device, which are never read.
    struct TOpened {
        enum class Kind { Nothing, Article, File };
        Kind kind = Kind::Nothing;
        QByteArray article;
        std::optional<platform::TextFile> file;
        TFileIdentity identity;
    };
    // Opens entry `entry` of `category` and makes it the entry on show (unless Nothing).
    // A built-in entry that does not exist: EListError "List index out of bounds (%d)",
    // as the container says. A folder entry gone since listed, a dangling link or a link
    // loop: EFOpenError "Cannot open file %s". A file over the page's capacity:
    // EOutOfResources "Text exceeds memo capacity". The entry on show is kept on failure.
    TOpened Open(int category, int entry);

    // The entry on show (-1 when none), and for a folder file what it was when opened.
    int Category() const { return category_; }
    int Entry() const { return entry_; }
    const std::optional<TFileIdentity>& FileOnShow() const { return file_; }
    // Forgets the entry on show (the page shows no entry).
    void ClearEntry();

    // The place read: the offset of the first byte of the display line at the top of an
    // area scrolled to `position`, with lines `pitch` apart. 0 for an empty page or a
    // position at or above its top.
    static std::uint32_t PlaceAt(TDisplayLines& lines, std::int64_t position, int pitch);
    // Going to a place: the scroll position that puts the line holding text byte `offset`
    // at the top. Nothing while wrapping has not yet passed that line (ask again when more
    // lines have come); 0 when the text is shorter than the offset (it changed since).
    static std::optional<std::int64_t> PositionOf(TDisplayLines& lines, std::uint32_t offset,
                                                  int pitch);
    // The lines in view of an area `height` high at `position`, as a paint draws them.
    static LineRange LinesInView(TDisplayLines& lines, std::int64_t position, int height,
                                 int cellHeight, int pitch);

private:
    TContainers containers_;
    std::string folder_;
    std::string namedFile_;
    // The file-system names behind the folder tab's rows, in row order.
    std::vector<std::string> folderNames_;
    int category_ = -1;
    int entry_ = -1;
    std::optional<TFileIdentity> file_;
};

// The display line holding text byte `offset` among the lines wrapped so far: the last
// one starting at or before it (0 when there are none). Never waits.
int WrappedLineAt(TDisplayLines& lines, std::uint32_t offset);

} // namespace orlenth
