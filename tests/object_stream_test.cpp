#include "resource/ComponentReader.h"
#include "resource/ComponentWriter.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include "framework/ClassRegistry.h"
#include "framework/Errors.h"
#include "framework/Events.h"
#include "framework/IntegerIdents.h"
#include "library/WJKStringList.h"
#include "record_helpers.h"
#include "test_data.h"

#include <gtest/gtest.h>

#include <QByteArrayList>

using namespace orlenth;

namespace objectstreamtest {

// A component with one property of every kind the reader assigns.
class TSample : public TComponent {
    Q_OBJECT
public:
    enum TAlign { alNone, alTop, alClient };
    Q_ENUM(TAlign)
    enum TStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4 };
    Q_DECLARE_FLAGS(TStyles, TStyle)
    Q_FLAG(TStyles)

    Q_PROPERTY(QByteArray Caption MEMBER caption)
    Q_PROPERTY(int Width MEMBER width)
    Q_PROPERTY(bool Visible MEMBER visible)
    Q_PROPERTY(TAlign Align MEMBER align)
    Q_PROPERTY(TStyles Style READ Style WRITE SetStyle)
    Q_PROPERTY(QByteArrayList Lines MEMBER lines)
    Q_PROPERTY(objectstreamtest::TSample* Buddy MEMBER buddy)
    Q_PROPERTY(objectstreamtest::TSample* Partner MEMBER partner)
    Q_CLASSINFO("Default.Visible", "true")
    Q_CLASSINFO("Idents.Width", "TestWidths")
    Q_CLASSINFO("Event.OnClick", "")
    Q_CLASSINFO("Default.Align", "alNone")

public:
    explicit TSample(TComponent* owner = nullptr) : TComponent(owner) {}
    TStyles Style() const { return style; }
    void SetStyle(TStyles s) { style = s; }
    QByteArray caption;
    int width = 0;
    bool visible = true;
    TAlign align = alNone;
    TStyles style;
    QByteArrayList lines;
    TSample* buddy = nullptr;
    TSample* partner = nullptr;
    std::vector<std::string> clicks;

public slots:
    void SampleClick(orlenth::TComponent* sender) {
        clicks.push_back(sender->Name());
        if (sender->Name() == "Thrower") throw EListError::indexOutOfBounds(-1);
    }
    void SampleClickAt(orlenth::TComponent* sender, int x) {
        clicks.push_back(sender->Name() + std::to_string(x));
    }
};

} // namespace objectstreamtest

using objectstreamtest::TSample;

using namespace recordtest;

namespace {

TObjectRecord sampleRecord() {
    TObjectRecord r;
    r.className = "TSample";
    r.name = "S";
    r.properties = {prop("Caption", MakeTextValue(gbkOf("标题 and more ASCII"))),
                    prop("Width", MakeIntegerValue(300)), prop("Visible", MakeBooleanValue(false)),
                    prop("Align", MakeIdentValue("alClient"))};
    TValue set;
    set.tag = ValueTag::Set;
    set.Members() = {"fsBold", "fsUnderline"};
    r.properties.push_back(prop("Style", set));
    TValue list;
    list.tag = ValueTag::List;
    list.Items() = {MakeTextValue("a"), MakeTextValue(gbkOf("中文"))};
    r.properties.push_back(prop("Lines", list));
    return r;
}

} // namespace

TEST(ObjectStream, ValuesTakeTheTagsOfTheWritingRules) {
    struct Row {
        std::int32_t value;
        ValueTag tag;
    } rows[] = {{0, ValueTag::Int8},      {127, ValueTag::Int8},    {-128, ValueTag::Int8},
                {128, ValueTag::Int16},   {255, ValueTag::Int16},   {-129, ValueTag::Int16},
                {32767, ValueTag::Int16}, {32768, ValueTag::Int32}, {65535, ValueTag::Int32},
                {-32769, ValueTag::Int32}};
    for (const auto& r : rows) EXPECT_EQ(MakeIntegerValue(r.value).tag, r.tag) << r.value;

    struct Text {
        const char* utf8;
        ValueTag tag;
    } texts[] = {{"1", ValueTag::String},
                 {"出师表", ValueTag::WString},
                 {"Kestrow软件", ValueTag::Utf8String},
                 {"关于Kestrow软件", ValueTag::Utf8String},
                 {"文集Ab", ValueTag::WString},
                 {"abc 中", ValueTag::Utf8String}};
    for (const auto& t : texts) {
        const std::string gbk = gbkOf(t.utf8);
        const TValue v = MakeTextValue(gbk);
        EXPECT_EQ(v.tag, t.tag) << t.utf8;
        EXPECT_EQ(TextValueToGbk(v), gbk) << t.utf8;
    }
    EXPECT_EQ(MakeTextValue(std::string(300, 'x')).tag, ValueTag::LString);
    // A short text with bytes of 0x80 and above is taken as GBK, unchanged.
    TValue raw;
    raw.tag = ValueTag::String;
    raw.bytes = "\xB3\xF6\xCA\xA6";
    EXPECT_EQ(TextValueToGbk(raw), raw.bytes);
}

TEST(ObjectStream, WritesTheBytesOfTheFormat) {
    TObjectRecord root;
    root.className = "TWJKStringList";
    root.name = "WJKStringList0";
    root.properties = {prop("DefaultCompressed", MakeBooleanValue(true)),
                       prop("Left", MakeIntegerValue(202)), prop("Top", MakeIntegerValue(27))};
    const std::string expected = B("TPF0\x0ETWJKStringList\x0EWJKStringList0\x11"
                                   "DefaultCompressed\x09"
                                   "\x04Left\x03\xCA\x00\x03Top\x02\x1B\x00\x00");
    EXPECT_EQ(streamOf(root), expected);
    EXPECT_EQ(streamOf(ParseObjectStream(expected)), expected);
}

struct Broken {
    const char* name;
    std::string bytes;
    std::string message;
};

class BrokenStream : public ::testing::TestWithParam<Broken> {};

TEST_P(BrokenStream, GivesTheExactMessage) {
    EXPECT_EQ(errorOf([&] { ParseObjectStream(GetParam().bytes); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, BrokenStream,
    ::testing::Values(Broken{"wrong_signature",
                             "TPF1\x01"
                             "A\x00\x00\x00",
                             "Invalid stream format"},
                      Broken{"empty", "", "Invalid stream format"},
                      Broken{"cut_in_class_name", "TPF0\x05TOrl", "Stream read error"},
                      Broken{"cut_before_end_of_children", B("TPF0\x01T\x01N\x00"),
                             "Stream read error"},
                      Broken{"cut_in_value", B("TPF0\x01T\x01N\x04Left\x03\x01"),
                             "Error reading N.Left: Stream read error"},
                      Broken{"unknown_tag", B("TPF0\x01T\x00\x04Left\x21"),
                             "Error reading T.Left: Invalid property value"},
                      Broken{"length_past_end", B("TPF0\x01T\x01N\x01X\x0A\xFF\xFF\x00\x00ab"),
                             "Error reading N.X: Stream read error"},
                      Broken{"wide_length_past_end", B("TPF0\x01T\x01N\x01X\x12\x05\x00\x00\x00ab"),
                             "Error reading N.X: Stream read error"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ObjectStream, EveryCutOfARealStreamFailsCleanly) {
    const std::string whole = streamOf(sampleRecord());
    for (std::size_t n = 0; n < whole.size(); ++n) {
        const std::string message = errorOf([&] { ParseObjectStream(whole.substr(0, n)); });
        EXPECT_TRUE(message == "Invalid stream format" || message.ends_with("Stream read error"))
            << n << ": " << message;
    }
}

TEST(ObjectStream, NestingIsBounded) {
    std::string deep = "TPF0";
    for (int i = 0; i < 200; ++i) deep += B("\x01T\x00\x00");
    EXPECT_EQ(errorOf([&] { ParseObjectStream(deep); }), "Invalid property value");
    std::string lists = B("TPF0\x01T\x00\x01L");
    for (int i = 0; i < 200; ++i) lists += '\x01';
    EXPECT_EQ(errorOf([&] { ParseObjectStream(lists); }),
              "Error reading T.L: Invalid property value");
}

// Minimal child records (5 bytes each) and booleans (1 byte each) cost the tree a bounded
// amount each, and their number is bounded: a stream cannot ask for gigabytes.
TEST(ObjectStream, RecordsAndValuesAreBounded) {
    const auto children = [](int n) {
        std::string s = B("TPF0\x01R\x00\x00");
        for (int i = 0; i < n; ++i) s += B("\x01T\x00\x00\x00");
        return s + '\0';
    };
    EXPECT_EQ(ParseObjectStream(children(2), false, nullptr, 3).children.size(), 2u);
    EXPECT_EQ(errorOf([&] { ParseObjectStream(children(3), false, nullptr, 3); }),
              "Stream holds more than 3 records and values");
    const std::string flags = B("TPF0\x01R\x00\x01L\x01\x09\x08\x09\x00\x00\x00");
    EXPECT_EQ(ParseObjectStream(flags, false, nullptr, 5).properties[0].value.Items().size(), 3u);
    EXPECT_EQ(errorOf([&] { ParseObjectStream(flags, false, nullptr, 4); }),
              "Error reading R.L: Stream holds more than 4 records and values");
    const std::string set = B("TPF0\x01R\x00\x01S\x0B\x01"
                              "a\x01"
                              "b\x00\x00\x00");
    EXPECT_EQ(errorOf([&] { ParseObjectStream(set, false, nullptr, 3); }),
              "Error reading R.S: Stream holds more than 3 records and values");
    EXPECT_EQ(ParseObjectStream(children(1000)).children.size(), 1000u);
    // What a record or a value costs before anything it holds: a list's, a set's and a
    // collection's parts are kept apart, made only for those.
    EXPECT_LE(sizeof(TValue), 64u);
    EXPECT_LE(sizeof(TObjectRecord), 64u);
    const TObjectRecord root = ParseObjectStream(children(4));
    for (const auto& c : root.children) EXPECT_EQ(c.properties.capacity(), 0u);
    EXPECT_EQ(root.children.capacity(), 4u);
}

TEST(ComponentReader, AssignsEveryKindOfPublishedProperty) {
    RegisterClass<TSample>();
    TObjectRecord root;
    root.className = "TWhatever";
    root.name = "Root";
    root.children.push_back(sampleRecord());
    TComponent owner;
    ReadComponent(ParseObjectStream(streamOf(root)), owner);
    EXPECT_EQ(owner.Name(), "Root");
    auto* s = qobject_cast<TSample*>(owner.FindComponent("S"));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->caption.toStdString(), gbkOf("标题 and more ASCII"));
    EXPECT_EQ(s->width, 300);
    EXPECT_FALSE(s->visible);
    EXPECT_EQ(s->align, TSample::alClient);
    EXPECT_EQ(static_cast<int>(s->style), TSample::fsBold | TSample::fsUnderline);
    EXPECT_EQ(s->lines, (QByteArrayList{"a", QByteArray::fromStdString(gbkOf("中文"))}));
    EXPECT_FALSE(s->IsLoading());

    // Written back by the rules, the component gives the same record.
    EXPECT_EQ(streamOf(WriteComponent(*s)), streamOf(sampleRecord()));
}

struct BadValue {
    const char* name;
    TPropertyRecord property;
    std::string message;
};

class BadProperty : public ::testing::TestWithParam<BadValue> {};

TEST_P(BadProperty, IsFramedWithObjectAndProperty) {
    RegisterClass<TSample>();
    TObjectRecord root;
    root.className = "TSample";
    root.name = "S";
    root.properties.push_back(GetParam().property);
    TSample target;
    EXPECT_EQ(errorOf([&] { ReadComponent(root, target); }), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Properties, BadProperty,
    ::testing::Values(BadValue{"unknown_property", prop("Colour", MakeIntegerValue(1)),
                               "Error reading S.Colour: Property Colour does not exist"},
                      BadValue{"text_for_integer", prop("Width", MakeTextValue("9")),
                               "Error reading S.Width: Invalid property value"},
                      BadValue{"integer_for_text", prop("Caption", MakeIntegerValue(9)),
                               "Error reading S.Caption: Invalid property value"},
                      BadValue{"unknown_enum_value", prop("Align", MakeIdentValue("alBottom")),
                               "Error reading S.Align: Invalid property value"},
                      BadValue{"unknown_set_member",
                               prop("Style",
                                    [] {
                                        TValue v;
                                        v.tag = ValueTag::Set;
                                        v.Members() = {"fsBold", "fsBlink"};
                                        return v;
                                    }()),
                               "Error reading S.Style: Invalid property value"},
                      BadValue{"dotted_through_nothing", prop("Font.Name", MakeTextValue("x")),
                               "Error reading S.Font.Name: Property Font.Name does not exist"},
                      BadValue{"designer_left_not_integer", prop("Left", MakeTextValue("x")),
                               "Error reading S.Left: Invalid property value"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ComponentReader, IntegersTakeNamedValuesAndFieldsAreBound) {
    RegisterClass<TSample>();
    RegisterIntegerIdents(
        "TestWidths",
        [](std::string_view n) { return n == "wWide" ? std::optional<int>(640) : std::nullopt; },
        [](int v) { return v == 640 ? std::optional<std::string>("wWide") : std::nullopt; });
    TObjectRecord root;
    root.className = "TSample";
    root.name = "Form";
    TObjectRecord buddy;
    buddy.className = "TSample";
    buddy.name = "Buddy";
    buddy.properties.push_back(prop("Width", MakeIdentValue("wWide")));
    root.children.push_back(buddy);
    TObjectRecord unbound = buddy;
    unbound.name = "NoSuchField";
    root.children.push_back(unbound);
    TSample form;
    ReadComponent(root, form);
    ASSERT_NE(form.buddy, nullptr);
    EXPECT_EQ(form.buddy, form.FindComponent("Buddy"));
    EXPECT_EQ(form.buddy->width, 640);
    EXPECT_NE(form.FindComponent("NoSuchField"), nullptr);
    // Written back, the width is named again.
    const TObjectRecord written = WriteComponent(*form.buddy);
    ASSERT_FALSE(written.properties.empty());
    EXPECT_EQ(written.properties.front().name, "Width");
    EXPECT_EQ(written.properties.front().value.tag, ValueTag::Ident);
    EXPECT_EQ(written.properties.front().value.bytes, "wWide");

    root.children.front().properties.front().value = MakeIdentValue("wNarrow");
    TSample again;
    EXPECT_EQ(errorOf([&] { ReadComponent(root, again); }),
              "Error reading Buddy.Width: Invalid property value");
}

TEST(ComponentReader, ReferencesResolveByNameOnceEveryComponentExists) {
    RegisterClass<TSample>();
    TObjectRecord root;
    root.className = "TSample";
    root.name = "Form";
    TObjectRecord first;
    first.className = "TSample";
    first.name = "First";
    first.properties.push_back(prop("Partner", MakeIdentValue("Second"))); // read later
    TObjectRecord second = first;
    second.name = "Second";
    second.properties.front().value = MakeIdentValue("Form");
    root.children = {first, second};
    TSample form;
    ReadComponent(root, form);
    auto* a = qobject_cast<TSample*>(form.FindComponent("First"));
    auto* b = qobject_cast<TSample*>(form.FindComponent("Second"));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->partner, b);
    EXPECT_EQ(b->partner, &form);
    // Written back by name; the window's fields (components it owns) are not written.
    const TObjectRecord written = WriteComponent(*a);
    const auto partner = std::find_if(written.properties.begin(), written.properties.end(),
                                      [](const auto& p) { return p.name == "Partner"; });
    ASSERT_NE(partner, written.properties.end());
    EXPECT_EQ(partner->value.tag, ValueTag::Ident);
    EXPECT_EQ(partner->value.bytes, "Second");
    form.partner = b;
    for (const auto& p : WriteComponent(form).properties) EXPECT_NE(p.name, "Buddy");

    root.children.front().properties.front().value = MakeIdentValue("Nobody");
    TSample again;
    EXPECT_EQ(errorOf([&] { ReadComponent(root, again); }),
              "Error reading First.Partner: Component Nobody not found");
    root.children.front().properties.front().value = MakeIntegerValue(3);
    TSample third;
    EXPECT_EQ(errorOf([&] { ReadComponent(root, third); }),
              "Error reading First.Partner: Invalid property value");
}

TEST(ComponentReader, EventsBindToTheFormsMethodsByName) {
    RegisterClass<TSample>();
    TObjectRecord root;
    root.className = "TSample";
    root.name = "Form";
    for (const char* name : {"Clicker", "Thrower"}) {
        TObjectRecord child;
        child.className = "TSample";
        child.name = name;
        child.properties.push_back(prop("OnClick", MakeIdentValue("SampleClick")));
        root.children.push_back(child);
    }
    TSample form;
    ReadComponent(root, form);
    auto* clicker = form.FindComponent("Clicker");
    auto* thrower = form.FindComponent("Thrower");
    EXPECT_TRUE(clicker->Fire("OnClick", Q_ARG(orlenth::TComponent*, clicker)));
    EXPECT_EQ(form.clicks, std::vector<std::string>{"Clicker"});
    EXPECT_FALSE(form.Fire("OnClick", Q_ARG(orlenth::TComponent*, &form)))
        << "nothing bound on the form itself";

    // What a handler throws goes to the dispatch point, not through the caller.
    std::vector<std::string> reported;
    SetEventDispatcher([&](const std::function<void()>& call) {
        try {
            call();
        } catch (const Exception& e) {
            reported.push_back(e.Message());
        }
    });
    EXPECT_NO_THROW(thrower->Fire("OnClick", Q_ARG(orlenth::TComponent*, thrower)));
    EXPECT_EQ(reported, std::vector<std::string>{"List index out of bounds (-1)"});
    SetEventDispatcher(nullptr);

    // A handler name that does not resolve is a load error that names it.
    root.children.front().properties.front().value = MakeIdentValue("NoSuchHandler");
    TSample again;
    EXPECT_EQ(errorOf([&] { ReadComponent(root, again); }),
              "Error reading Clicker.OnClick: Method NoSuchHandler not found");

    // So is one whose parameters are not the event's: invoked, it would do nothing at all.
    root.children.front().properties.front().value = MakeIdentValue("SampleClickAt");
    TSample mismatched;
    EXPECT_EQ(errorOf([&] { ReadComponent(root, mismatched); }),
              "Error reading Clicker.OnClick: Method SampleClickAt does not take the parameters "
              "of OnClick");
}

TEST(ComponentReader, UnknownClassIsNamed) {
    TObjectRecord root;
    root.className = "TOrlenth";
    TObjectRecord child;
    child.className = "TNoSuchClass";
    root.children.push_back(child);
    TComponent owner;
    EXPECT_EQ(errorOf([&] { ReadComponent(root, owner); }), "Class TNoSuchClass not found");
}

// ---------------------------------------------------------------- the library in a stream

namespace {

TObjectRecord itemRecord(const char* description, TValue ident, TValue internal) {
    TObjectRecord r;
    r.className = "TWJKStringListItem";
    if (description) r.properties.push_back(prop("Description", MakeTextValue(description)));
    r.properties.push_back(prop("Ident", std::move(ident)));
    r.properties.push_back(prop("Internal", std::move(internal)));
    return r;
}

TObjectRecord containerRecord(const char* name, std::vector<TObjectRecord> items,
                              bool compressedFlag = true) {
    TObjectRecord r;
    r.className = "TWJKStringList";
    r.name = name;
    if (compressedFlag) r.properties.push_back(prop("DefaultCompressed", MakeBooleanValue(true)));
    r.children = std::move(items);
    return r;
}

std::string windowWith(std::vector<TObjectRecord> containers) {
    TObjectRecord root;
    root.className = "TOrlenth";
    root.name = "Orlenth";
    root.children = std::move(containers);
    return streamOf(root);
}

} // namespace

TEST(LibraryInStream, RecordValuesWinOverProperties) {
    // The record (flag 0x04, ident 7, no description) comes after Description and Ident.
    const std::string record("\x04\x07\x00\x00\x00", 5);
    const std::string stream = windowWith({containerRecord(
        "WJKStringList3",
        {itemRecord("said", MakeIntegerValue(3), MakeBinaryValue(record)),
         itemRecord(nullptr, MakeIntegerValue(0), MakeBinaryValue(std::string(1, '\0')))})});
    TComponent owner;
    const TLibrary lib = LoadLibrary(stream, owner);
    ASSERT_NE(lib[3], nullptr);
    EXPECT_EQ(lib[0], nullptr);
    ASSERT_EQ(lib[3]->GetCount(), 2);
    EXPECT_EQ(lib[3]->GetArrayItem(0)->Description(), "");
    EXPECT_EQ(lib[3]->GetArrayItem(0)->Ident(), 7);
    EXPECT_TRUE(lib[3]->GetArrayItem(1)->GetList().Empty());
    EXPECT_TRUE(lib[3]->DefaultCompressed());
    EXPECT_EQ(lib[3]->GetArrayItem(0)->Owner(), lib[3]);
}

TEST(LibraryInStream, EmptyContainerAndMissingFlag) {
    TComponent owner;
    const TLibrary lib =
        LoadLibrary(windowWith({containerRecord("WJKStringList1", {}, false)}), owner);
    ASSERT_NE(lib[1], nullptr);
    EXPECT_EQ(lib[1]->GetCount(), 0);
    EXPECT_FALSE(lib[1]->DefaultCompressed());
}

TEST(LibraryInStream, DamagedItemsAreFramedWithTheItemClass) {
    struct Row {
        const char* name;
        TObjectRecord item;
        std::string message;
    } rows[] = {
        {"internal_not_binary", itemRecord(nullptr, MakeIntegerValue(0), MakeIntegerValue(5)),
         "Error reading TWJKStringListItem.Internal: Invalid property value"},
        {"record_cut", itemRecord(nullptr, MakeIntegerValue(0), MakeBinaryValue(B("\x09\x0D\x00"))),
         "Error reading TWJKStringListItem.Internal: Stream read error"},
        // Framed whole, but the one copy of its block reaches before the output's start.
        {"block_damaged",
         itemRecord(nullptr, MakeIntegerValue(0),
                    MakeBinaryValue(B("\x09\x09\x00\x00\x00\x05\x00\x00\x00\x40\x80\x00\x00\x12"))),
         "Error reading TWJKStringListItem.Internal: Stream read error"},
    };
    for (const auto& row : rows) {
        // From bytes that last, the blocks are checked on every core once all is read;
        // the error is the same.
        for (const bool lasting : {false, true}) {
            TComponent owner;
            const std::string stream = windowWith({containerRecord("WJKStringList0", {row.item})});
            EXPECT_EQ(errorOf([&] { LoadLibrary(stream, owner, lasting); }), row.message)
                << row.name << (lasting ? " lasting" : "");
        }
    }
    TObjectRecord unknown =
        itemRecord(nullptr, MakeIntegerValue(0), MakeBinaryValue(std::string(1, '\0')));
    unknown.properties.insert(unknown.properties.begin(), prop("Colour", MakeIntegerValue(1)));
    TComponent owner;
    EXPECT_EQ(errorOf([&] {
                  LoadLibrary(windowWith({containerRecord("WJKStringList0", {unknown})}), owner);
              }),
              "Error reading TWJKStringListItem.Colour: Property Colour does not exist");
}

// A damaged block and, after it, an unknown property: both ways of reading report the
// first fault. Before, the program's way (blocks checked at the end) reported the second.
TEST(LibraryInStream, BothWaysReportTheFirstFault) {
    const TObjectRecord damaged =
        itemRecord(nullptr, MakeIntegerValue(0),
                   MakeBinaryValue(B("\x09\x09\x00\x00\x00\x05\x00\x00\x00\x40\x80\x00\x00\x12")));
    TObjectRecord unknown =
        itemRecord(nullptr, MakeIntegerValue(0), MakeBinaryValue(std::string(1, '\0')));
    unknown.properties.insert(unknown.properties.begin(), prop("Colour", MakeIntegerValue(1)));
    const std::string stream = windowWith({containerRecord("WJKStringList0", {damaged, unknown})});
    for (const bool lasting : {false, true}) {
        TComponent owner;
        EXPECT_EQ(errorOf([&] { LoadLibrary(stream, owner, lasting); }),
                  "Error reading TWJKStringListItem.Internal: Stream read error")
            << (lasting ? "lasting" : "at once");
    }
}

#include "object_stream_test.moc"
