// The streams the program embeds, as the reader and the library see them.

#include "resource/EmbeddedStreams.h"
#include "resource/LibraryLoader.h"
#include "resource/ObjectStream.h"

#include "framework/Component.h"
#include "library/LZRW.h"
#include "library/WJKStringList.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

using namespace orlenth;

TEST(Embedded, AllThreeStreamsParse) {
    for (const char* name : {"TORLENTH", "TSTARYE", "TABOUTKESTROW"}) {
        const std::string_view s = EmbeddedStream(name);
        ASSERT_FALSE(s.empty()) << name;
        EXPECT_NO_THROW(ParseObjectStream(s)) << name;
    }
    EXPECT_TRUE(EmbeddedStream("TNOTHING").empty());
}

TEST(Embedded, MainWindowHoldsTheWholeLibrary) {
    const TObjectRecord root = ParseObjectStream(EmbeddedStream("TORLENTH"));
    EXPECT_EQ(root.className, "TOrlenth");
    EXPECT_EQ(root.name, "Orlenth");
    EXPECT_EQ(root.CountRecords(), 352u);
    std::vector<std::string> order;
    for (const auto& c : root.children) order.push_back(c.name);
    EXPECT_EQ(order, (std::vector<std::string>{
                         "Splitter1", "Panel1", "Panel2", "Panel3", "WJKStringList0",
                         "WJKStringList1", "WJKStringList2", "WJKStringList4", "FontDialog1",
                         "ColorDialog1", "PopupMenu1", "ActionList1", "Timer1", "WJKStringList3"}));
}

TEST(Embedded, EveryTextAndIntegerTakesTheTagOfTheRules) {
    for (const char* name : {"TORLENTH", "TSTARYE", "TABOUTKESTROW"}) {
        std::function<void(const TValue&)> check = [&](const TValue& v) {
            if (v.IsInteger()) {
                EXPECT_EQ(MakeIntegerValue(static_cast<std::int32_t>(v.integer)).tag, v.tag)
                    << name;
            }
            if (v.IsText()) {
                const TValue again = MakeTextValue(TextValueToGbk(v));
                EXPECT_EQ(again.tag, v.tag) << name;
                EXPECT_EQ(again.bytes, v.bytes) << name;
            }
            for (const auto& i : v.Items()) check(i);
        };
        std::function<void(const TObjectRecord&)> walk = [&](const TObjectRecord& r) {
            EXPECT_FALSE(r.hasPrefix);
            for (const auto& p : r.properties) check(p.value);
            for (const auto& c : r.children) walk(c);
        };
        walk(ParseObjectStream(EmbeddedStream(name)));
    }
}

TEST(Embedded, LibraryKeepsTheShapeOfTheStoredLibrary) {
    TComponent owner;
    const TLibrary lib = LoadLibrary(EmbeddedStream("TORLENTH"), owner);
    const int titles[] = {27, 54, 116, 39, 4};
    std::size_t total = 0;
    for (std::size_t c = 0; c < 5; ++c) {
        SCOPED_TRACE("category " + std::to_string(c));
        ASSERT_NE(lib[c], nullptr);
        TWJKStringList& list = *lib[c];
        EXPECT_TRUE(list.DefaultCompressed());
        ASSERT_EQ(list.GetCount(), titles[c] + 1);
        const TLineList& catalogue = list.GetArrayItem(0)->GetList();
        ASSERT_EQ(catalogue.Count(), titles[c]);
        EXPECT_EQ(list.GetArrayItem(0)->Description(), c == 0 ? "1" : "");
        EXPECT_EQ(list.GetArrayItem(0)->Ident(), 0);
        std::set<int> idents;
        bool inOrder = true;
        for (int i = 0; i < list.GetCount(); ++i) {
            const TWJKStringListItem& item = *list.GetArrayItem(i);
            idents.insert(item.Ident());
            inOrder = inOrder && item.Ident() == i;
            EXPECT_TRUE(item.Compressed());
            if (i == 0) continue;
            EXPECT_LE(catalogue[i - 1].size(), 35u) << i;
            EXPECT_FALSE(catalogue[i - 1].empty()) << i;
            EXPECT_GE(item.Description().size(), 1u) << i;
            EXPECT_LE(item.Description().size(), 43u) << i;
            const std::string& text = item.GetList().Text();
            EXPECT_LE(text.size(), kLZRWMaxInput) << i;
            EXPECT_TRUE(text.ends_with("\r\n")) << i;
            total += text.size();
        }
        EXPECT_EQ(idents.size(), static_cast<std::size_t>(list.GetCount()));
        EXPECT_EQ(*idents.rbegin(), list.GetCount() - 1);
        if (c == 0 || c == 1 || c == 3) {
            EXPECT_FALSE(inOrder);
        }
    }
    EXPECT_GE(total, 1'200'000u);
    EXPECT_LE(total, 1'500'000u);
}

TEST(Embedded, LibraryKeptPackedReadsAsTheCopiedOne) {
    TComponent copiedOwner, packedOwner;
    const std::string_view stream = EmbeddedStream("TORLENTH");
    const TLibrary copied = LoadLibrary(stream, copiedOwner);
    const TLibrary packed = LoadLibrary(stream, packedOwner, true);
    for (std::size_t c = 0; c < 5; ++c) {
        ASSERT_NE(packed[c], nullptr);
        ASSERT_EQ(packed[c]->GetCount(), copied[c]->GetCount());
        for (int i = 0; i < packed[c]->GetCount(); ++i) {
            const TWJKStringListItem& a = *copied[c]->GetArrayItem(i);
            const TWJKStringListItem& b = *packed[c]->GetArrayItem(i);
            EXPECT_EQ(b.GetList(), a.GetList()) << c << "/" << i;
            EXPECT_EQ(b.Description(), a.Description()) << c << "/" << i;
        }
    }
}
