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
    v.Members() = {"a", "b"};
    add("Set", v);
    v = {};
    v.tag = ValueTag::List;
    v.Items() = {MakeTextValue("x"), MakeIntegerValue(1000)};
    add("List", v);
    add("Bin", MakeBinaryValue(std::string(100, '\x5A')));
    v = {};
    v.tag = ValueTag::Collection;
    TCollectionElement e;
    e.order.push_back(MakeIntegerValue(3));
    e.properties.push_back(prop("Width", MakeIntegerValue(40)));
    v.Elements() = {e, TCollectionElement{}};
    add("Columns", v);
    TObjectRecord child;
    child.className = "TChild";
    child.hasPrefix = true;
    child.prefixFlags = 2;
    child.SetPosition(MakeIntegerValue(1));
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

// Every name or value the stream cannot hold as the text says is refused at its line;
// before, pack wrote a stream that read back as something else.
struct Unholdable {
    const char* name;
    std::string text;
    std::string message;
};

class UnholdableText : public ::testing::TestWithParam<Unholdable> {};

TEST_P(UnholdableText, IsRefusedAtItsLine) {
    EXPECT_EQ(errorOf([&] { ParseDescriptionText(GetParam().text, ".", "t.txt"); }),
              GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, UnholdableText,
    ::testing::Values(
        Unholdable{"class_of_240_bytes", "object A: " + std::string(240, 'C') + "\nend\n",
                   "t.txt:1: a class name of 240 bytes or more needs a prefix"},
        Unholdable{"empty_child_class", "object a: B\n  object c: \"\"\n    P = 1\n  end\nend\n",
                   "t.txt:2: a child's class name may be empty only after a prefix"},
        Unholdable{"empty_set_member", "object a: B\n  p = [x, \"\"]\nend\n",
                   "t.txt:2: a set member may not be empty"},
        Unholdable{"empty_property_name", "object a: B\n  \"\" = 1\nend\n",
                   "t.txt:2: a property name may not be empty"},
        Unholdable{"empty_element_property_name",
                   "object a: B\n  p = collection ( item ( \"\" = 1 ) )\nend\n",
                   "t.txt:2: a property name may not be empty"},
        Unholdable{"null_in_a_list", "object a: B\n  p = (null 1)\nend\n",
                   "t.txt:2: a list cannot hold null"},
        Unholdable{"text_as_child_position", "object X: TY prefix 2 \"t\"\nend\n",
                   "t.txt:1: the child position is a number"},
        Unholdable{"collection_as_child_position", "object X: TY prefix 2 collection ( )\nend\n",
                   "t.txt:1: the child position is a number"},
        Unholdable{"prefix_flags_past_15", "object X: TY prefix 18\nend\n",
                   "t.txt:1: the prefix flags are a number from 0 to 15"},
        Unholdable{"text_as_item_order",
                   "object X: TY\n  A = collection ( item \"x\" ( B = 1 ) )\nend\n",
                   "t.txt:2: an item's order is a number"},
        Unholdable{"object_name_of_256", "object " + std::string(256, 'n') + ": T\nend\n",
                   "t.txt:1: an object name holds at most 255 bytes"},
        Unholdable{"class_name_of_256", "object n: T" + std::string(255, 'c') + "\nend\n",
                   "t.txt:1: a class name holds at most 255 bytes"},
        Unholdable{"property_name_of_256",
                   "object n: T\n  " + std::string(256, 'P') + " = 1\nend\n",
                   "t.txt:2: a property name holds at most 255 bytes"},
        Unholdable{"ident_of_256", "object n: T\n  P = " + std::string(256, 'i') + "\nend\n",
                   "t.txt:2: an identifier holds at most 255 bytes"},
        Unholdable{"quoted_ident_of_256",
                   "object n: T\n  P = ident \"" + std::string(256, 'i') + "\"\nend\n",
                   "t.txt:2: an identifier holds at most 255 bytes"},
        Unholdable{"set_member_of_256", "object n: T\n  P = [" + std::string(256, 's') + "]\nend\n",
                   "t.txt:2: a set member holds at most 255 bytes"},
        Unholdable{"picture_class_of_256",
                   "object n: T\n  P = picture " + std::string(256, 'P') + " \"x\"\nend\n",
                   "t.txt:2: a picture class holds at most 255 bytes"},
        Unholdable{"hex_past_64_bits", "object n: T\n  P = int64 0xFFFFFFFFFFFFFFFF\nend\n",
                   "t.txt:2: '0xFFFFFFFFFFFFFFFF' does not fit 64 bits"},
        Unholdable{"hex_past_32_bits", "object n: T\n  P = 0xFFFFFFFF\nend\n",
                   "t.txt:2: the number does not fit 32 bits"},
        Unholdable{"file_name_with_nul", B("object:a\na=picture B\"\x00\"\n"),
                   "t.txt:2: a file name cannot hold a NUL byte"},
        Unholdable{"folder_as_file", "object n: T\n  P = file \".\"\nend\n",
                   "t.txt:2: ./. is a folder, not a file; pack reads regular files only"}),
    [](const auto& row) { return std::string(row.param.name); });

// The edges of what the stream holds still pass, and come back as written.
TEST(DescriptionText, NamesAndNumbersAtTheirLimitsComeBack) {
    const std::string text = "object " + std::string(255, 'n') + ": T" + std::string(238, 'c') +
                             "\n  " + std::string(255, 'P') + " = [" + std::string(255, 's') +
                             "]\n  Q = int64 0x7FFFFFFFFFFFFFFF\n  R = int64 " +
                             "-9223372036854775808\n  S = 0x7FFFFFFF\n" +
                             "  object : \"\" prefix 0\n  end\n" +
                             "  object : " + std::string(250, 'L') + " prefix 2 7\n  end\nend\n";
    const std::string bytes = streamOf(ParseDescriptionText(text, ".", "t.txt"));
    const TObjectRecord back = ParseObjectStream(bytes);
    EXPECT_EQ(back.name, std::string(255, 'n'));
    EXPECT_EQ(back.className.size(), 239u);
    ASSERT_EQ(back.properties.size(), 4u);
    EXPECT_EQ(back.properties[1].value.integer, INT64_MAX);
    EXPECT_EQ(back.properties[2].value.integer, INT64_MIN);
    ASSERT_EQ(back.children.size(), 2u);
    EXPECT_EQ(back.children[1].className, std::string(250, 'L'));
    EXPECT_EQ(streamOf(ParseDescriptionText(PrintDescriptionText(back), ".", "t.txt")), bytes);
}

// The tree a text stands for is bounded as a stream's is, and blank lines and comments
// are not kept at all: the text is read a token at a time.
TEST(DescriptionText, RecordsAndValuesAreCountedAgainstTheLimit) {
    std::string text = "object a: B\n";
    for (int i = 0; i < 4; ++i) text += "  object : T\n  end\n\n# note\n";
    text += "end\n";
    TParseOptions options;
    options.fileName = "t.txt";
    options.maxRecords = 5;
    EXPECT_EQ(ParseDescription(text, options).root.children.size(), 4u);
    options.maxRecords = 4;
    EXPECT_EQ(errorOf([&] { ParseDescription(text, options); }),
              "t.txt:14: more than 4 records and values");
    options.maxRecords = 3;
    EXPECT_EQ(errorOf([&] { ParseDescription("object a: B\n  P = (1 2 3)\nend\n", options); }),
              "t.txt:2: more than 3 records and values");
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
