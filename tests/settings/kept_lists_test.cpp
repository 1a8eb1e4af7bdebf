#include "app/settings/Bookmarks.h"
#include "app/settings/FilePlaces.h"
#include "app/settings/RecentList.h"

#include "tests/settings/SettingsFolder.h"

namespace orlenth::settings {
namespace {

using testing::SettingsTest;

class KeptListsTest : public SettingsTest {
protected:
    std::unique_ptr<TSettingsFile> Fresh() { return TSettingsFile::Open(PathOf("orlenth.conf")); }
};

TEST_F(KeptListsTest, PlacesComeBack) {
    const QString odd = QString::fromUtf8("/书/a, \"b\"/@Variant(1).txt");
    {
        auto file = Fresh();
        TFilePlaces places(*file);
        places.Remember({"/books/a.txt", 5000, 1700000000000, 1200, 10, {}, {}});
        places.Remember({odd, 90, -5, 0, 11, "Big5", "re:^卷[一二], 第"});
        places.Remember({"/books/a.txt", 5000, 1700000000000, 1300, 12, {}, {}}); // moved on
        places.Remember({"", 10, 0, 1, 13, {}, {}});                              // ignored
        places.Remember({"/neg.txt", 10, 0, -1, 14, {}, {}});                     // ignored
        EXPECT_EQ(places.Count(), 2u);
        // As a reader from before the choices were kept wrote it.
        file->Set(TFilePlaces::KeyOf("/old.txt"), QStringList{"/old.txt", "9", "1", "4", "1"});
        ASSERT_TRUE(file->Save());
    }
    auto file = Fresh();
    ASSERT_TRUE(file->Reading());
    TFilePlaces places(*file);
    EXPECT_EQ(places.Count(), 3u);
    EXPECT_EQ(places.OffsetFor("/books/a.txt", 5000), 1300);
    EXPECT_EQ(places.OffsetFor("/old.txt", 9), 4);
    ASSERT_NE(places.Find(odd), nullptr);
    EXPECT_EQ(places.Find(odd)->encoding, "Big5");
    EXPECT_EQ(places.Find(odd)->chapters, QString::fromUtf8("re:^卷[一二], 第"));
    EXPECT_EQ(places.Find("/books/b.txt"), nullptr);
    EXPECT_EQ(places.OffsetFor(odd, 90), 0);
    EXPECT_EQ(places.OffsetFor("/books/b.txt", 5000), 0);
    EXPECT_EQ(file->List(TFilePlaces::KeyOf("/books/a.txt"), 9),
              (QStringList{"/books/a.txt", "5000", "1700000000000", "1300", "12", "", ""}));
}

TEST_F(KeptListsTest, AShrunkFileOpensAtItsStart) {
    auto file = Fresh();
    TFilePlaces places(*file);
    places.Remember({"/a.txt", 1000, 1, 500, 0, {}, {}});
    EXPECT_EQ(places.OffsetFor("/a.txt", 501), 500);
    EXPECT_EQ(places.OffsetFor("/a.txt", 500), 0);
    EXPECT_EQ(places.OffsetFor("/a.txt", 400), 0);
}

TEST_F(KeptListsTest, TheLeastRecentlyReadPlacesGo) {
    const auto path = [](int i) { return "/f/" + QString::number(i) + ".txt"; };
    {
        auto file = Fresh();
        TFilePlaces places(*file);
        // Noted out of order: what counts is readAt.
        for (int i = 1005; i >= 1; --i) places.Remember({path(i), 100, 1, 7, i, {}, {}});
        EXPECT_EQ(places.Count(), 1000u);
        ASSERT_TRUE(file->Save());
    }
    auto file = Fresh();
    TFilePlaces places(*file);
    EXPECT_EQ(places.Count(), 1000u);
    EXPECT_EQ(file->Keys("places", 5000).size(), 1000);
    for (int i = 1; i <= 5; ++i) EXPECT_EQ(places.OffsetFor(path(i), 100), 0) << i;
    for (int i = 6; i <= 1005; ++i) ASSERT_EQ(places.OffsetFor(path(i), 100), 7) << i;
}

TEST_F(KeptListsTest, PlacesThatDoNotReadBackAreDroppedAtTheNextSave) {
    const auto key = [](const QString& p) { return TFilePlaces::KeyOf(p).mid(7).toStdString(); };
    std::string text = "[places]\n";
    text += key("/ok.txt") + "=/ok.txt, 100, 1, 50, 9\n";
    text += key("/neg.txt") + "=/neg.txt, -100, 1, 50, 9\n";    // negative size
    text += key("/short.txt") + "=/short.txt, 100, 1, 50\n";    // four fields
    text += key("/other.txt") + "=/moved.txt, 100, 1, 50, 9\n"; // key of another path
    text += key("/cut.txt") + "=/cut.txt, 100, 1, 5, 1";        // cut inside its readAt
    text += "\n0123=/x.txt, 100, 1, 50, 9\n";                   // not a hash
    const std::string path = dir_.WriteFile("orlenth.conf", text);
    {
        auto file = Fresh();
        ASSERT_TRUE(file->Reading());
        TFilePlaces places(*file);
        EXPECT_EQ(places.Count(), 2u);
        EXPECT_EQ(places.OffsetFor("/ok.txt", 100), 50);
        EXPECT_EQ(places.OffsetFor("/cut.txt", 100), 5);
        ASSERT_TRUE(file->Save());
    }
    auto file = Fresh();
    EXPECT_EQ(file->Keys("places", 100).size(), 2);
}

TEST_F(KeptListsTest, BookmarksComeBackNewestFirst) {
    TBookmark first, second, third;
    {
        auto file = Fresh();
        TBookmarks marks(*file);
        first = marks.Add({"", 2, 17, "", QString::fromUtf8("秋声赋"), 4096, 250,
                           QString::fromUtf8("欧阳子方夜读书"), 1000});
        second = marks.Add({"", 5, 0, "/books/a, b.txt", "a, b.txt", 10, 1000, "", 2000});
        third =
            marks.Add({"", 9, -3, "/dropped", QString(2000, 'x'), -4, 1200, QString(50, 'y'), 0});
        EXPECT_FALSE(first.id.isEmpty());
        EXPECT_NE(first.id, second.id);
        EXPECT_EQ(third.category, 5); // brought into range
        EXPECT_EQ(third.entry, 0);
        EXPECT_EQ(third.offset, 0);
        EXPECT_EQ(third.permille, 1000);
        EXPECT_EQ(third.title.size(), TBookmarks::kMaxTitleChars);
        EXPECT_EQ(third.opening.size(), TBookmarks::kMaxOpeningChars);
        EXPECT_GT(third.made, 2000); // now
        EXPECT_TRUE(marks.Rename(second.id, "renamed"));
        EXPECT_FALSE(marks.Rename("nosuch", "x"));
        EXPECT_TRUE(marks.Remove(third.id));
        EXPECT_FALSE(marks.Remove(third.id));
        ASSERT_TRUE(file->Save());
    }
    auto file = Fresh();
    TBookmarks marks(*file);
    const auto all = marks.All();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].id, second.id);
    EXPECT_EQ(all[0].title, "renamed");
    EXPECT_EQ(all[0].file, "/books/a, b.txt");
    EXPECT_EQ(all[0].category, 5);
    EXPECT_EQ(all[1].id, first.id);
    EXPECT_EQ(all[1].category, 2);
    EXPECT_EQ(all[1].entry, 17);
    EXPECT_EQ(all[1].file, QString());
    EXPECT_EQ(all[1].title, QString::fromUtf8("秋声赋"));
    EXPECT_EQ(all[1].offset, 4096);
    EXPECT_EQ(all[1].permille, 250);
    EXPECT_EQ(all[1].opening, QString::fromUtf8("欧阳子方夜读书"));
    EXPECT_EQ(all[1].made, 1000);
}

TEST_F(KeptListsTest, BookmarksThatDoNotReadBackStayInTheFile) {
    dir_.WriteFile("orlenth.conf", "[bookmarks]\n"
                                   "a1=2, 3, , t, 10, 500, o, 99\n"
                                   "a2=2, 3, , t, 10, 5000, o, 99\n"       // permille
                                   "a3=5, 0, , t, 10, 500, o, 99\n"        // folder, no file
                                   "a4=2, 3, /x, t, 10, 500, o, 99\n"      // built-in with a file
                                   "A5=2, 3, , t, 10, 500, o, 99\n"        // id
                                   "a6=2, 3, , t, 10, 500, o\n"            // seven fields
                                   "a7=2, 3, , t, 10, 500, o, 99, later\n" // a later field
    );
    auto file = Fresh();
    TBookmarks marks(*file);
    std::vector<QString> ids;
    for (const auto& b : marks.All()) ids.push_back(b.id);
    EXPECT_EQ(ids, (std::vector<QString>{"a7", "a1"}));
    marks.Add({"", 1, 1, "", "new", 0, 0, "", 5});
    ASSERT_TRUE(file->Save());
    EXPECT_EQ(Fresh()->Keys("bookmarks", 100).size(), 8);
}

// Offset and length in one measure, the text shown; a text still arriving is scaled by the
// part of its source read.
struct PermilleCase {
    const char* name;
    std::uint64_t offset, shown, read, source;
    int permille;
};
class Permille : public ::testing::TestWithParam<PermilleCase> {};
TEST_P(Permille, IsTheOffsetOverTheShownTextsLength) {
    const PermilleCase& c = GetParam();
    EXPECT_EQ(PermilleOf(c.offset, c.shown, c.read, c.source), c.permille);
}
INSTANTIATE_TEST_SUITE_P(
    Bookmarks, Permille,
    ::testing::Values(
        // A UTF-8 file of 52,890 bytes shown as 40,670 bytes of GBK, marked on its last line
        // (by the file's size, 76.8 %).
        PermilleCase{"LastLineOfAConvertedText", 40'640, 40'670, 52'890, 52'890, 999},
        PermilleCase{"MiddleOfAConvertedText", 20'335, 40'670, 52'890, 52'890, 500},
        PermilleCase{"TheEnd", 40'670, 40'670, 52'890, 52'890, 1000},
        // Half the file read gave 20,000 bytes: the text will be about 40,000.
        PermilleCase{"ArrivingScaledByTheSourceRead", 10'000, 20'000, 50'000, 100'000, 250},
        PermilleCase{"NothingReadYetTakesTheSourcesSize", 50, 100, 0, 1'000, 50},
        PermilleCase{"PastTheEndIsTheEnd", 900, 100, 100, 100, 1000},
        PermilleCase{"EmptyText", 0, 0, 0, 0, 0},
        // Scaled past 64 bits: the offset is a vanishing part of that length, not a wrapped one.
        PermilleCase{"HugeFiguresDoNotWrap", UINT64_MAX, UINT64_MAX, 1, UINT64_MAX, 0}),
    [](const ::testing::TestParamInfo<PermilleCase>& row) { return std::string(row.param.name); });

TEST_F(KeptListsTest, RecentKeepsTenNewestFirst) {
    {
        auto file = Fresh();
        TRecentList recent(*file);
        for (int i = 0; i < 12; ++i) recent.Add("/r/" + QString::number(i));
        recent.Add("/r/5");           // moves to the front
        recent.Add("");               // ignored
        recent.Add("@Variant(x), y"); // a name is a name
        recent.Remove("/r/11");
        recent.Remove("/r/nosuch");
        ASSERT_TRUE(file->Save());
    }
    auto file = Fresh();
    ASSERT_TRUE(file->Reading());
    EXPECT_EQ(TRecentList(*file).Paths(), (QStringList{"@Variant(x), y", "/r/5", "/r/10", "/r/9",
                                                       "/r/8", "/r/7", "/r/6", "/r/4", "/r/3"}));
}

TEST_F(KeptListsTest, RecentDropsRepeatsAndEmptyItems) {
    dir_.WriteFile("orlenth.conf", "[recent]\npaths=/a, , /b, /a, /c\n");
    auto file = Fresh();
    EXPECT_EQ(TRecentList(*file).Paths(), (QStringList{"/a", "/b", "/c"}));
}

} // namespace
} // namespace orlenth::settings
