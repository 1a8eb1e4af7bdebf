#include "resource/CollectionItems.h"

#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"
#include "library/WJKStringListItem.h"
#include "resource/ComponentReader.h"
#include "resource/ComponentWriter.h"
#include "resource/DescriptionTextPaths.h"
#include "resource/NamedFile.h"
#include "resource/ObjectStream.h"

#include <QStringDecoder>

#include <cstdio>

namespace orlenth {

namespace {

// Texts are converted a piece at a time, so that a long article never stands in memory
// as UTF-16 whole.
constexpr std::size_t kPiece = 1 << 20;

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    const auto colon = where.rfind(':');
    throw EDescriptionError(formatMessage(Msg::DescriptionSyntax,
                                          {where.substr(0, colon), where.substr(colon + 1), what}));
}

std::string readFile(const std::filesystem::path& p, const std::string& where) {
    try {
        return ReadNamedFile(p, p.string());
    } catch (const EFOpenError& e) {
        fail(where, e.what());
    }
}

// A catalogue's ident as dump writes it: decimal digits alone, 0 to 65535; no sign, no
// space, nothing after.
std::optional<std::uint16_t> parseIdent(std::string_view s) {
    if (s.empty() || s.size() > 5) return std::nullopt;
    std::uint32_t n = 0;
    for (const char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (n > 65535) return std::nullopt;
    return static_cast<std::uint16_t>(n);
}

// `rel` below `dir` when it stays inside `root`; anything else is a fault of the text.
std::filesystem::path inside(const std::filesystem::path& root, const std::filesystem::path& dir,
                             const std::string& rel, const std::string& where) {
    // The system would read the name only up to its first NUL.
    if (rel.find('\0') != std::string::npos) fail(where, "a file name cannot hold a NUL byte");
    if (auto p = ResolveInside(root, dir, rel)) return *p;
    fail(where, (dir / rel).string() + " lies outside " + root.string());
}

std::string toGbk(std::string_view utf8, const std::string& where, const std::string& what) {
    // One decoder for the whole text, so that a character cut by a piece's end is finished
    // by the next piece; like any UTF-8 reader it drops a byte order mark at the start.
    QStringDecoder decoder(QStringDecoder::Utf8);
    std::string gbk;
    gbk.reserve(utf8.size());
    bool ok = true;
    for (std::size_t at = 0; at < utf8.size(); at += kPiece) {
        const auto piece = utf8.substr(at, kPiece);
        bool pieceOk = false;
        gbk += UnicodeToGbk(
            decoder.decode(QByteArrayView(piece.data(), static_cast<qsizetype>(piece.size()))),
            &pieceOk);
        ok = ok && pieceOk;
    }
    if (decoder.hasError()) fail(where, what + " is not UTF-8");
    if (!ok) fail(where, what + " holds characters that GBK cannot hold");
    return gbk;
}

// GBK to UTF-8 without CRs, written to `out`; `clean` turns false when some byte does not
// decode. Pieces end just after a byte below 0x30, which never stands inside a character.
void writeUtf8(std::string_view gbk, std::FILE* out, bool& clean) {
    while (!gbk.empty()) {
        std::size_t n = gbk.size();
        if (n > kPiece) {
            std::size_t cut = kPiece;
            while (cut < gbk.size() && static_cast<unsigned char>(gbk[cut - 1]) >= 0x30) ++cut;
            n = cut;
        }
        bool ok = false;
        const QByteArray utf8 = GbkToUnicode(gbk.substr(0, n), &ok).toUtf8();
        clean = clean && ok;
        std::string lf;
        lf.reserve(static_cast<std::size_t>(utf8.size()));
        for (char c : utf8)
            if (c != '\r') lf += c;
        if (std::fwrite(lf.data(), 1, lf.size(), out) != lf.size()) throw EWriteError();
        gbk.remove_prefix(n);
    }
}

std::string toUtf8(const std::string& gbk, bool& clean) {
    bool ok = false;
    const QByteArray b = GbkToUnicode(gbk, &ok).toUtf8();
    clean = clean && ok;
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
}

// A new file: never one that exists already.
void writeNewFile(const std::filesystem::path& p, const std::function<void(std::FILE*)>& fill) {
    std::FILE* f = std::fopen(p.c_str(), "wbx");
    if (!f) throw EFOpenError::forFile(p.string());
    try {
        fill(f);
    } catch (...) {
        std::fclose(f);
        throw;
    }
    if (std::fclose(f) != 0) throw EWriteError();
}

// Every field, the empty one after a final separator included (an article without a
// description ends its catalogue line in a tab).
std::vector<std::string> split(std::string_view s, char sep) {
    std::vector<std::string> out;
    for (std::size_t at = 0;;) {
        const std::size_t end = s.find(sep, at);
        out.emplace_back(s.substr(at, end - at));
        if (end == std::string_view::npos) return out;
        at = end + 1;
    }
}

TObjectRecord itemRecord(const std::string& description, std::uint16_t ident, TLineList lines) {
    TWJKStringListItem item;
    item.SetCompressed(true);
    item.SetDescription(description);
    item.SetIdent(ident);
    item.GetList() = std::move(lines);
    return WriteComponent(item);
}

bool readItem(const TObjectRecord& r, TWJKStringListItem& item) {
    try {
        ReadComponent(r, item);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

// Removes a folder this run made, unless told to keep it.
class MadeFolder {
public:
    explicit MadeFolder(std::filesystem::path dir) : dir_(std::move(dir)) {}
    MadeFolder(const MadeFolder&) = delete;
    MadeFolder& operator=(const MadeFolder&) = delete;
    ~MadeFolder() {
        std::error_code ec;
        if (!kept_) std::filesystem::remove_all(dir_, ec);
    }
    void Keep() { kept_ = true; }

private:
    std::filesystem::path dir_;
    bool kept_ = false;
};

} // namespace

void ForEachCollectionItem(const std::filesystem::path& dir,
                           const std::string& catalogueDescription, const std::string& where,
                           const std::filesystem::path& root,
                           const std::function<void(TObjectRecord&&)>& take) {
    const auto tsvPath = inside(root, dir, "catalogue.tsv", where);
    const std::string tsv = readFile(tsvPath, where);
    struct Article {
        std::string here, file, description;
        std::uint16_t ident;
    };
    TLineList titles;
    std::vector<Article> articles;
    int lineNo = 0;
    for (const std::string& line : split(tsv, '\n')) {
        ++lineNo;
        if (line.empty()) continue;
        const std::string here = tsvPath.string() + ":" + std::to_string(lineNo);
        const auto f = split(line, '\t');
        if (f.size() != 4)
            fail(here, "a catalogue line has ident, file, title and description, tab-separated");
        const auto ident = parseIdent(f[0]);
        if (!ident)
            fail(here, "the ident '" + f[0] + "' is not a number from 0 to 65535 (digits only)");
        const std::string title = toGbk(f[2], here, "the title");
        if (title.empty()) fail(here, "the title is empty");
        titles.Add(title);
        articles.push_back({here, f[1], toGbk(f[3], here, "the description"), *ident});
    }
    take(itemRecord(toGbk(catalogueDescription, where, "the catalogue description"), 0,
                    std::move(titles)));
    for (const Article& a : articles) {
        const auto file = inside(root, dir, a.file, a.here);
        TLineList lines;
        lines.SetText(toGbk(readFile(file, a.here), a.here, a.file));
        take(itemRecord(a.description, a.ident, std::move(lines)));
    }
}

std::vector<TObjectRecord> BuildCollectionItems(const std::filesystem::path& dir,
                                                const std::string& catalogueDescription,
                                                const std::string& where,
                                                const std::filesystem::path& root) {
    std::vector<TObjectRecord> items;
    ForEachCollectionItem(dir, catalogueDescription, where, root,
                          [&](TObjectRecord&& r) { items.push_back(std::move(r)); });
    return items;
}

std::optional<std::string> WriteCollectionItems(std::span<const TObjectRecord> items,
                                                const std::filesystem::path& dir) {
    if (items.empty()) return std::nullopt;
    for (const auto& r : items)
        if (r.className != "TWJKStringListItem" || !r.name.empty() || !r.children.empty())
            return std::nullopt;
    TWJKStringListItem catalogue;
    if (!readItem(items[0], catalogue)) return std::nullopt;
    bool ok = true;
    const std::string catalogueDescription = toUtf8(catalogue.Description(), ok);
    const TLineList& titles = catalogue.GetList();
    if (!ok || titles.Count() + 1 != static_cast<int>(items.size())) return std::nullopt;

    std::error_code ec;
    if (!std::filesystem::create_directory(dir, ec)) return std::nullopt;
    MadeFolder made(dir);
    std::string tsv;
    for (std::size_t k = 1; k < items.size() && ok; ++k) {
        TWJKStringListItem item;
        if (!readItem(items[k], item)) return std::nullopt;
        char file[32];
        std::snprintf(file, sizeof file, "%03zu.txt", k);
        writeNewFile(dir / file, [&](std::FILE* f) { writeUtf8(item.GetList().Text(), f, ok); });
        tsv += std::to_string(item.Ident()) + "\t" + file + "\t" +
               toUtf8(std::string(titles[static_cast<int>(k - 1)]), ok) + "\t" +
               toUtf8(item.Description(), ok) + "\n";
    }
    if (!ok) return std::nullopt;
    writeNewFile(dir / "catalogue.tsv", [&](std::FILE* f) {
        if (std::fwrite(tsv.data(), 1, tsv.size(), f) != tsv.size()) throw EWriteError();
    });
    // Only a folder that builds back into the very same records will do. They are built
    // and compared one at a time.
    struct Differs {};
    std::size_t k = 0;
    try {
        ForEachCollectionItem(dir, catalogueDescription, "dump:0", dir, [&](TObjectRecord&& r) {
            if (k >= items.size() || SerializeObjectStream(r) != SerializeObjectStream(items[k]))
                throw Differs{};
            ++k;
        });
    } catch (const Differs&) {
        return std::nullopt;
    } catch (const Exception&) {
        return std::nullopt;
    }
    if (k != items.size()) return std::nullopt;
    made.Keep();
    return catalogueDescription;
}

} // namespace orlenth
