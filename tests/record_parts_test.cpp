// The compact name and list a record keeps: they must read and copy as the std::string and
// std::vector they stand in for, at every length a stream can hold.
#include "resource/ObjectTree.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>

using namespace orlenth;

namespace {

// A million minimal records are a stream the reader must hold: what one costs its tree.
static_assert(sizeof(TShortName) <= 16);
static_assert(sizeof(TRecordList<TObjectRecord>) <= 8);
static_assert(sizeof(TObjectRecord) <= 64);

struct NameRow {
    const char* name;
    std::size_t length;
};

void PrintTo(const NameRow& row, std::ostream* os) {
    *os << row.name;
}

class ShortNameLengths : public ::testing::TestWithParam<NameRow> {};

TEST_P(ShortNameLengths, ReadCopyAndMoveAsTheText) {
    std::string text;
    for (std::size_t i = 0; i < GetParam().length; ++i) text += static_cast<char>('a' + i % 26);
    const TShortName n(text);
    EXPECT_EQ(n, text);
    EXPECT_EQ(n.size(), text.size());
    EXPECT_EQ(n.empty(), text.empty());
    EXPECT_EQ(std::string(n), text);
    TShortName copy = n;
    EXPECT_EQ(copy, text);
    TShortName moved = std::move(copy);
    EXPECT_EQ(moved, text);
    EXPECT_TRUE(copy.empty()); // NOLINT(bugprone-use-after-move): a moved-from name is empty
    moved = moved;             // self-assignment keeps the text
    EXPECT_EQ(moved, text);
    moved = std::string_view(moved).substr(text.size() / 2); // from its own bytes
    EXPECT_EQ(moved, text.substr(text.size() / 2));
    moved = "X";
    EXPECT_EQ(moved, "X");
    EXPECT_EQ("T" + n + ".txt", "T" + text + ".txt");
}

INSTANTIATE_TEST_SUITE_P(Names, ShortNameLengths,
                         ::testing::Values(NameRow{"empty", 0}, NameRow{"one", 1},
                                           NameRow{"longest_inline", 15},
                                           NameRow{"shortest_on_heap", 16},
                                           NameRow{"longest_in_a_stream", 255}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(RecordList, GrowsCopiesAndInsertsAsAVector) {
    TRecordList<TObjectRecord> list;
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.begin(), list.end());
    for (int i = 0; i < 32; ++i) {
        TObjectRecord r;
        r.name = "Item" + std::to_string(i) + std::string(static_cast<std::size_t>(i), 'x');
        list.push_back(std::move(r));
    }
    ASSERT_EQ(list.size(), list.capacity());
    list.push_back(list.front()); // an element of the list itself, as the list grows
    EXPECT_EQ(list.back().name, "Item0");
    TObjectRecord parent;
    parent.children = list;
    parent.children.insert(parent.children.begin(), TObjectRecord{});
    ASSERT_EQ(parent.children.size(), 34u);
    EXPECT_TRUE(parent.children[0].name.empty());
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(parent.children[static_cast<std::size_t>(i) + 1].name,
                  "Item" + std::to_string(i) + std::string(static_cast<std::size_t>(i), 'x'));
    EXPECT_EQ(parent.CountRecords(), 35u);
    TRecordList<TObjectRecord> taken = std::move(parent.children);
    EXPECT_EQ(taken.size(), 34u);
    EXPECT_TRUE(parent.children.empty()); // NOLINT(bugprone-use-after-move)
    const std::size_t capacity = taken.capacity();
    taken.reserve(10); // never shrinks
    EXPECT_EQ(taken.capacity(), capacity);
    taken.clear();
    EXPECT_TRUE(taken.empty());
}

// Copies throw once the budget is spent; every live instance is counted.
struct Fragile {
    static inline int live = 0;
    static inline int copiesLeft = 0;
    Fragile() { ++live; }
    Fragile(const Fragile&) {
        if (copiesLeft-- <= 0) throw std::bad_alloc();
        ++live;
    }
    Fragile(Fragile&&) noexcept { ++live; }
    Fragile& operator=(const Fragile&) = default;
    ~Fragile() { --live; }
};

TEST(RecordList, ACopyThatFailsHalfwayReleasesWhatItMade) {
    TRecordList<Fragile> list;
    for (int i = 0; i < 8; ++i) list.push_back(Fragile{});
    ASSERT_EQ(Fragile::live, 8);
    Fragile::copiesLeft = 5;
    EXPECT_THROW(TRecordList<Fragile>{list}, std::bad_alloc);
    EXPECT_EQ(Fragile::live, 8);
    Fragile::copiesLeft = 8;
    const TRecordList<Fragile> copy(list);
    EXPECT_EQ(Fragile::live, 16);
}

} // namespace
