// The description text: every stream comes back through it byte for byte, and neither its
// printer nor its parser reaches outside the folders it is given.

#include "resource/DescriptionText.h"

#include "framework/Errors.h"
#include "library/WJKStringListItem.h"
#include "record_helpers.h"
#include "resource/ComponentWriter.h"
#include "resource/ObjectStream.h"
#include "test_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

using namespace orlenth;
using namespace recordtest;
namespace fs = std::filesystem;

namespace {

std::string wide(std::initializer_list<char16_t> units) {
    std::string out;
    for (char16_t u : units) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>(u >> 8);
    }
    return out;
}

// A folder of the test's own, gone afterwards.
class TempDir {
public:
    TempDir()
        : path_(fs::temp_directory_path() /
                ("orlenth-text-" + std::to_string(std::random_device{}()))) {
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    fs::path operator/(const std::string& rel) const { return path_ / rel; }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void writeFile(const fs::path& p, const std::string& content) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A container as dump finds it in the library: the catalogue, then one article.
TObjectRecord container(const std::string& name) {
    TObjectRecord c;
    c.className = "TWJKStringList";
    c.name = name;
    for (const char* text : {"title\r\n", "line one\r\nline two\r\n"}) {
        TWJKStringListItem item;
        item.SetCompressed(true);
        TLineList lines;
        lines.SetText(std::string_view(text));
        item.SetList(lines);
        c.children.push_back(WriteComponent(item));
    }
    return c;
}

} // namespace

// ---------------------------------------------------------------- description text

TEST(DescriptionText, EveryValueKindRoundTripsThroughText) {
    TObjectRecord root;
    root.className = "TRoot";
    root.name = "R";
    auto add = [&](const std::string& name, TValue v) {
        root.properties.push_back(prop(name, std::move(v)));
    };
    TValue v;
    for (auto tag : {ValueTag::Null, ValueTag::Nil, ValueTag::True, ValueTag::False}) {
        v = {};
        v.tag = tag;
        add("Flag", v);
    }
    v = MakeIntegerValue(5);
    v.tag = ValueTag::Int32; // wider than the rule would choose
    add("Wide", v);
    add("Narrow", MakeIntegerValue(-7));
    v = {};
    v.tag = ValueTag::Int64;
    v.integer = -5'000'000'000;
    add("Big", v);
    v.tag = ValueTag::Currency;
    add("Money", v);
    for (auto tag : {ValueTag::Extended, ValueTag::Single, ValueTag::Date}) {
        v = {};
        v.tag = tag;
        v.bytes = std::string(tag == ValueTag::Extended ? 10u
                              : tag == ValueTag::Single ? 4u
                                                        : 8u,
                              '\x7F');
        add("Float", v);
    }
    add("Text", MakeTextValue(gbkOf("引号\"与\\反斜杠\r\n")));
    v = {};
    v.tag = ValueTag::String;
    v.bytes = B("\xFF\x01\x80 raw"); // not GBK
    add("Raw", v);
    v.tag = ValueTag::Utf8String;
    v.bytes = "ascii only"; // not what the rule would choose
    add("Utf8", v);
    v.tag = ValueTag::WString;
    v.bytes = B("\x00\xD8\x41\x00"); // a lone surrogate, then 'A'
    add("Wide", v);
    add("Ident", MakeIdentValue("alClient"));
    add("Keyword", MakeIdentValue("true"));
    add("OddIdent", MakeIdentValue(B("bv\x00\\\"x")));
    add(B("odd name\x01"), MakeIntegerValue(1));
    v = {};
    v.tag = ValueTag::Set;
    v.members = {"a", "b"};
    add("Set", v);
    v = {};
    v.tag = ValueTag::List;
    v.items = {MakeTextValue("x"), MakeIntegerValue(1000)};
    add("List", v);
    add("Bin", MakeBinaryValue(std::string(100, '\x5A')));
    v = {};
    v.tag = ValueTag::Collection;
    TCollectionElement e;
    e.order.push_back(MakeIntegerValue(3));
    e.properties.push_back(prop("Width", MakeIntegerValue(40)));
    v.elements = {e, TCollectionElement{}};
    add("Columns", v);
    TObjectRecord child;
    child.className = "TChild";
    child.hasPrefix = true;
    child.prefixFlags = 2;
    child.position.push_back(MakeIntegerValue(1));
    root.children.push_back(child);

    const std::string bytes = streamOf(root);
    const std::string text = PrintDescriptionText(ParseObjectStream(bytes));
    EXPECT_EQ(streamOf(ParseDescriptionText(text, ".", "t.txt")), bytes) << text;
}

TEST(DescriptionText, FaultsNameFileAndLine) {
    struct Row {
        const char* text;
        std::string message;
    } rows[] = {
        {"object A: TA\n  X = \n", "t.txt:2: a value expected"},
        {"object A: TA\n  X = \"open\nend\n", "t.txt:2: a text runs past the end of its line"},
        {"object A: TA\n  X = 1\n", "t.txt:3: 'end' missing for object A"},
        {"object A: TA\n  X = file \"no/such/file\"\nend\n", "t.txt:2: cannot read ./no/such/file"},
        {"object A: TA\n  X = int8 300\nend\n", "t.txt:2: the number does not fit its width"},
        {"object A: TA\n  X = \"\xE2\x98\x83\"\nend\n",
         "t.txt:2: the text holds characters that GBK cannot hold"},
        {"object A: TA\n  object B: TB\n  end\n  X = 1\nend\n",
         "t.txt:4: properties come before children"},
        {"object A: TA\nend\ntrailer 5\n", "t.txt:3: 'trailer' takes a binary value"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(errorOf([&] { ParseDescriptionText(r.text, ".", "t.txt"); }), r.message)
            << r.text;
}

// Wide and UTF-8 texts hold any units at all; each must come back as it was, whatever
// surrounds it in the quoted text (an escape just before it starts a new piece there).
struct Units {
    const char* name;
    ValueTag tag;
    std::string bytes;
};

class TextUnits : public ::testing::TestWithParam<Units> {};

TEST_P(TextUnits, ComeBackOneForOne) {
    TObjectRecord root;
    root.className = "TRoot";
    TValue v;
    v.tag = GetParam().tag;
    v.bytes = GetParam().bytes;
    root.properties.push_back(prop("Font.Name", v));
    const std::string text = PrintDescriptionText(root);
    EXPECT_EQ(streamOf(ParseDescriptionText(text, ".", "t.txt")), streamOf(root)) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TextUnits,
    ::testing::Values(
        Units{"wide_bom_first", ValueTag::WString, wide({0xFEFF, 'A'})},
        Units{"wide_bom_after_escape", ValueTag::WString, wide({0x0B, 0xFEFF})},
        Units{"wide_bom_after_lone_surrogate", ValueTag::WString, wide({0xDEEB, 0xFEFF, 0x4E2D})},
        Units{"wide_lone_high_last", ValueTag::WString, wide({'a', 0xD800})},
        Units{"wide_pair_backwards", ValueTag::WString, wide({0xDC00, 0xD800})},
        Units{"wide_pair", ValueTag::WString, wide({0xD83D, 0xDE00})},
        Units{"wide_noncharacters", ValueTag::WString, wide({0xFFFE, 0xFFFF, 0xFDD0})},
        Units{"wide_nul_and_controls", ValueTag::WString, wide({0, 1, 0x1B, 0x7F, 0x85})},
        Units{"utf8_bom_first", ValueTag::Utf8String, B("\xEF\xBB\xBFx")},
        Units{"utf8_bom_after_escape", ValueTag::Utf8String, B("\x01\xEF\xBB\xBF")},
        Units{"utf8_nul", ValueTag::Utf8String, B("a\x00b")},
        Units{"utf8_invalid", ValueTag::Utf8String, B("\xFF\xC0\x80")},
        Units{"utf8_encoded_surrogate", ValueTag::Utf8String, B("\xED\xA0\x80")}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(DescriptionText, BytesAfterTheRootComeBack) {
    TObjectRecord root;
    root.className = "TRoot";
    const std::string trailing = B("\x00TPF0\x06junk\xFF");
    TPrintOptions print;
    print.trailing = trailing;
    const std::string text = PrintDescriptionText(root, print);
    TParseOptions parse;
    parse.fileName = "t.txt";
    EXPECT_EQ(SerializeDescription(ParseDescription(text, parse)), streamOf(root) + trailing)
        << text;
}

TEST(DescriptionText, NamedFilesStayInsideTheRoot) {
    TempDir t;
    writeFile(t / "outside/secret", "secret");
    writeFile(t / "root/desc/pic.bin", "in");
    writeFile(t / "root/shared/pic.bin", "shared");
    fs::create_directory_symlink(t / "outside", t / "root/desc/link");
    writeFile(t / "root/desc/col/catalogue.tsv", "1\t../../../outside/secret\tT\tD\n");
    struct Row {
        const char* name;
        std::string line;
        bool refused;
    } rows[] = {
        {"absolute", "X = file \"" + (t / "outside/secret").string() + "\"", true},
        {"up_and_out", "X = file \"../../outside/secret\"", true},
        {"through_a_link", "X = picture TBitmap \"link/secret\"", true},
        {"collection_up_and_out", "items \"../../outside\"", true},
        {"article_up_and_out", "items \"col\"", true},
        {"up_within_the_root", "X = file \"../shared/pic.bin\"", false},
        {"inside", "X = file \"pic.bin\"", false},
    };
    TParseOptions options;
    options.baseDir = t / "root/desc";
    options.rootDir = t / "root";
    options.fileName = "t.txt";
    for (const auto& r : rows) {
        const std::string error =
            errorOf([&] { ParseDescription("object A: TA\n  " + r.line + "\nend\n", options); });
        EXPECT_EQ(error.find("lies outside " + (t / "root").string()) != std::string::npos,
                  r.refused)
            << r.name << ": " << error;
    }
}

TEST(DescriptionText, DumpWritesOnlyWhatItMadeAndOnlyInsideItsFolder) {
    TempDir t;
    const fs::path out = t / "a/b/c/out";
    // Left by someone else: never written into, never removed.
    writeFile(out / "collection/taken/mine.txt", "mine");
    writeFile(out / "pictures/picture1.bmp", "old");
    const std::vector<std::string> names = {"../../..",  "..", ".",   "a/b", "a\\b",
                                            B("x\x1By"), "",   "dup", "dup", std::string(201, 'n'),
                                            "taken",     "ok"};
    TObjectRecord root;
    root.className = "TRoot";
    root.properties.push_back(
        prop("Image.Picture.Data", MakeBinaryValue(B("\x07TBitmap\x03\x00\x00\x00"
                                                     "BMP"))));
    for (const auto& n : names) root.children.push_back(container(n));
    TPrintOptions options;
    options.filesDir = out;
    const std::string text = PrintDescriptionText(root, options);

    for (const auto& e : fs::recursive_directory_iterator(t.path())) {
        const auto rel = e.path().lexically_relative(out);
        EXPECT_TRUE(out.string().starts_with(e.path().string()) ||
                    (!rel.empty() && *rel.begin() != ".."))
            << e.path();
    }
    EXPECT_EQ(readFile(out / "collection/taken/mine.txt"), "mine");
    EXPECT_EQ(readFile(out / "pictures/picture1.bmp"), "old");
    EXPECT_EQ(readFile(out / "pictures/picture2.bmp"), "BMP");
    EXPECT_TRUE(fs::exists(out / "collection/ok/catalogue.tsv"));
    EXPECT_TRUE(fs::exists(out / "collection/dup/catalogue.tsv"));
    // A folder of its own for every container but "taken", which is printed inline: eleven
    // new folders beside the one that was there.
    std::size_t folders = 0;
    for (const auto& e : fs::directory_iterator(out / "collection")) folders += e.is_directory();
    EXPECT_EQ(folders, names.size());
    EXPECT_EQ(streamOf(ParseDescriptionText(text, out, "t.txt")), streamOf(root)) << text;
}
