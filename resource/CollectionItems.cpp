#include "resource/CollectionItems.h"

#include "framework/Errors.h"
#include "library/WJKStringListItem.h"
#include "resource/ComponentReader.h"
#include "resource/ComponentWriter.h"
#include "resource/ObjectStream.h"
#include "framework/text/TextEncoding.h"

#include <QString>

#include <fstream>
#include <iterator>
#include <sstream>

namespace orlenth {

namespace {

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    const auto colon = where.rfind(':');
    throw EDescriptionError(formatMessage(Msg::DescriptionSyntax,
                                          {where.substr(0, colon), where.substr(colon + 1), what}));
}

std::string readFile(const std::filesystem::path& p, const std::string& where) {
    std::ifstream in(p, std::ios::binary);
    if (!in) fail(where, "cannot read " + p.string());
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string toGbk(const std::string& utf8, const std::string& where, const std::string& what) {
    bool ok = false;
    std::string gbk =
        UnicodeToGbk(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())), &ok);
    if (!ok) fail(where, what + " holds characters that GBK cannot hold");
    return gbk;
}

std::vector<std::string> split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    std::istringstream in(s);
    while (std::getline(in, cur, sep)) out.push_back(cur);
    return out;
}

TObjectRecord itemRecord(const std::string& description, std::uint16_t ident,
                         const TLineList& lines) {
    TWJKStringListItem item;
    item.SetCompressed(true);
    item.SetDescription(description);
    item.SetIdent(ident);
    item.SetList(lines);
    return WriteComponent(item);
}

std::string serialize(const std::vector<TObjectRecord>& items) {
    TObjectRecord root;
    root.children = items;
    return SerializeObjectStream(root);
}

} // namespace

std::vector<TObjectRecord> BuildCollectionItems(const std::filesystem::path& dir,
                                                const std::string& catalogueDescription,
                                                const std::string& where) {
    const std::string tsv = readFile(dir / "catalogue.tsv", where);
    TLineList titles;
    std::vector<TObjectRecord> articles;
    int lineNo = 0;
    for (const std::string& line : split(tsv, '\n')) {
        ++lineNo;
        if (line.empty()) continue;
        const std::string here = (dir / "catalogue.tsv").string() + ":" + std::to_string(lineNo);
        const auto f = split(line, '\t');
        if (f.size() != 4)
            fail(here, "a catalogue line has ident, file, title and description, tab-separated");
        int ident = 0;
        try {
            ident = std::stoi(f[0]);
        } catch (...) {
            fail(here, "the ident is not a number");
        }
        if (ident < 0 || ident > 65535) fail(here, "the ident is outside 0..65535");
        const std::string title = toGbk(f[2], here, "the title");
        const std::string description = toGbk(f[3], here, "the description");
        if (title.empty()) fail(here, "the title is empty");
        titles.Add(title);
        std::string text = toGbk(readFile(dir / f[1], here), here, f[1]);
        TLineList lines;
        lines.SetText(text);
        articles.push_back(itemRecord(description, static_cast<std::uint16_t>(ident), lines));
    }
    std::vector<TObjectRecord> items;
    items.push_back(
        itemRecord(toGbk(catalogueDescription, where, "the catalogue description"), 0, titles));
    for (auto& a : articles) items.push_back(std::move(a));
    return items;
}

std::optional<std::string> WriteCollectionItems(const std::vector<TObjectRecord>& items,
                                                const std::filesystem::path& dir) {
    if (items.empty()) return std::nullopt;
    struct Article {
        std::string description;
        std::uint16_t ident;
        std::string text;
    };
    std::vector<Article> decoded;
    try {
        for (const auto& r : items) {
            if (r.className != "TWJKStringListItem" || !r.name.empty() || !r.children.empty())
                return std::nullopt;
            TWJKStringListItem item;
            ReadComponent(r, item);
            decoded.push_back({item.Description(), item.Ident(), item.GetList().Text()});
        }
    } catch (const Exception&) {
        return std::nullopt;
    }
    auto utf8 = [](const std::string& gbk, bool& ok) {
        bool clean = false;
        const QByteArray b = GbkToUnicode(gbk, &clean).toUtf8();
        ok = ok && clean;
        return std::string(b.constData(), static_cast<std::size_t>(b.size()));
    };
    bool ok = true;
    const std::string catalogueDescription = utf8(decoded[0].description, ok);
    TLineList titles;
    titles.SetText(decoded[0].text);
    if (!ok || titles.Count() + 1 != static_cast<int>(items.size())) return std::nullopt;

    std::filesystem::create_directories(dir);
    std::string tsv;
    for (std::size_t k = 1; k < decoded.size(); ++k) {
        char file[32];
        std::snprintf(file, sizeof file, "%03zu.txt", k);
        std::string text = utf8(decoded[k].text, ok);
        std::string lf;
        for (char c : text)
            if (c != '\r') lf += c;
        std::ofstream(dir / file, std::ios::binary) << lf;
        tsv += std::to_string(decoded[k].ident) + "\t" + file + "\t" +
               utf8(std::string(titles[static_cast<int>(k - 1)]), ok) + "\t" +
               utf8(decoded[k].description, ok) + "\n";
    }
    std::ofstream(dir / "catalogue.tsv", std::ios::binary) << tsv;
    // Only a folder that builds back into the very same records will do.
    bool same = false;
    if (ok) {
        try {
            same = serialize(BuildCollectionItems(dir, catalogueDescription, "dump:0")) ==
                   serialize(items);
        } catch (const Exception&) {
        }
    }
    if (!same) {
        std::filesystem::remove_all(dir);
        return std::nullopt;
    }
    return catalogueDescription;
}

} // namespace orlenth
