#include "library/WJKStringList.h"

#include "framework/Errors.h"
#include "test_data.h"

#include <gtest/gtest.h>

using namespace orlenth;
using testdata::Bytes;
using testdata::hex;

namespace {

Bytes record(TWJKStringListItem& item) {
    TMemoryStream m;
    item.WriteData(m);
    return m.Bytes();
}

void readRecord(TWJKStringListItem& item, const Bytes& bytes) {
    TMemoryStream m(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    item.ReadData(m);
    EXPECT_EQ(m.Position(), m.Size()) << "the record was not read to its end";
}

} // namespace

struct RecordExample {
    const char* name;
    bool compressed;
    std::string description;
    std::uint16_t ident;
    TLineList lines;
    Bytes bytes;
};

class ItemRecord : public ::testing::TestWithParam<RecordExample> {};

TEST_P(ItemRecord, WritesAndReadsByteForByte) {
    const auto& p = GetParam();
    TWJKStringListItem item;
    item.SetCompressed(p.compressed);
    item.SetDescription(p.description);
    item.SetIdent(p.ident);
    item.SetList(p.lines);
    EXPECT_EQ(record(item), p.bytes);

    TWJKStringListItem back;
    back.SetDescription("stale");
    back.SetIdent(99);
    back.SetList(TLineList{"stale"});
    readRecord(back, p.bytes);
    EXPECT_EQ(back.Compressed(), p.compressed);
    EXPECT_EQ(back.Description(), p.description);
    EXPECT_EQ(back.Ident(), p.ident);
    EXPECT_EQ(back.GetList(), p.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Records, ItemRecord,
    ::testing::Values(RecordExample{"compressed_lines",
                                    true,
                                    "",
                                    0,
                                    {"ab", "cd"},
                                    hex("09 0D 00 00 00 09 00 00 00 80 61 62 0D 0A 63 64 0D 0A")},
                      RecordExample{"plain_lines",
                                    false,
                                    "",
                                    0,
                                    {"ab", "cd"},
                                    hex("08 08 00 00 00 61 62 0D 0A 63 64 0D 0A")},
                      RecordExample{"nothing_at_all", false, "", 0, {}, hex("00")},
                      RecordExample{"catalogue_of_category_0",
                                    true,
                                    "1",
                                    0,
                                    {"ab"},
                                    hex("0B 01 31 09 00 00 00 05 00 00 00 80 61 62 0D 0A")},
                      RecordExample{
                          "article",
                          true,
                          "\xCC\xE2",
                          116,
                          {"x"},
                          hex("0F 02 CC E2 74 00 00 00 08 00 00 00 04 00 00 00 80 78 0D 0A")},
                      RecordExample{"no_lines_compressed", true, "", 5, {}, hex("05 05 00 00 00")}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ItemRecordFields, IdentKeepsTheLowSixteenBitsAndHighFlagBitsAreIgnored) {
    TWJKStringListItem item;
    readRecord(item, hex("F4 05 00 01 00"));
    EXPECT_EQ(item.Ident(), 5);
    EXPECT_FALSE(item.Compressed());
    EXPECT_TRUE(item.GetList().Empty());
}

TEST(ItemRecordFields, LongDescriptionIsCutToTheLengthByte) {
    TWJKStringListItem item;
    item.SetDescription(std::string(300, 'd'));
    const Bytes r = record(item);
    ASSERT_EQ(r.size(), 2u + 44u);
    EXPECT_EQ(r[0], 0x02);
    EXPECT_EQ(r[1], 44);
}

TEST(ItemRecordFields, RecordIsSelfDelimiting) {
    TWJKStringListItem a, b;
    a.SetCompressed(true);
    a.SetList(TLineList{"first"});
    b.SetDescription("second");
    b.SetList(TLineList{"x", "y"});
    TMemoryStream m;
    a.WriteData(m);
    b.WriteData(m);
    m.SetPosition(0);
    TWJKStringListItem ra, rb;
    ra.ReadData(m);
    rb.ReadData(m);
    EXPECT_EQ(ra.GetList(), a.GetList());
    EXPECT_EQ(rb.GetList(), b.GetList());
    EXPECT_EQ(rb.Description(), "second");
}

struct CutRecord {
    const char* name;
    Bytes bytes;
};

class DamagedRecord : public ::testing::TestWithParam<CutRecord> {};

TEST_P(DamagedRecord, IsAReadErrorAndKeepsTheLines) {
    TWJKStringListItem item;
    item.SetList(TLineList{"kept"});
    TMemoryStream m(GetParam().bytes.data(), static_cast<std::int64_t>(GetParam().bytes.size()));
    try {
        item.ReadData(m);
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    EXPECT_EQ(item.GetList(), TLineList{"kept"});
}

INSTANTIATE_TEST_SUITE_P(
    Records, DamagedRecord,
    ::testing::Values(CutRecord{"empty", {}}, CutRecord{"description_length_only", hex("02")},
                      CutRecord{"description_cut", hex("02 05 61 62")},
                      CutRecord{"ident_cut", hex("04 05 00")},
                      CutRecord{"payload_missing", hex("08")},
                      CutRecord{"plain_payload_cut", hex("08 08 00 00 00 61 62")},
                      CutRecord{"compressed_payload_cut", hex("09 0D 00 00 00 09 00 00")}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ContainerRecord, RoundTripsInBothModes) {
    TWJKStringList list;
    for (int i = 0; i < 30; ++i) {
        auto* item = list.GetArrayItem(list.Add());
        item->SetDescription("item " + std::to_string(i));
        item->SetIdent(static_cast<std::uint16_t>(i * 3));
        item->SetCompressed(i % 2 == 0);
        const Bytes prose =
            testdata::gbkProse(static_cast<std::uint32_t>(i), static_cast<std::size_t>(i) * 997);
        item->GetList().SetText(prose.data(), prose.size());
    }
    for (bool compressed : {false, true}) {
        TMemoryStream m;
        list.WriteData(m, compressed);
        m.SetPosition(0);
        TWJKStringList back;
        back.ReadData(m, compressed);
        EXPECT_EQ(m.Position(), m.Size());
        ASSERT_EQ(back.GetCount(), 30);
        for (int i = 0; i < 30; ++i) {
            EXPECT_EQ(back.GetArrayItem(i)->Description(), list.GetArrayItem(i)->Description());
            EXPECT_EQ(back.GetArrayItem(i)->Ident(), list.GetArrayItem(i)->Ident());
            EXPECT_EQ(back.GetArrayItem(i)->Compressed(), list.GetArrayItem(i)->Compressed());
            EXPECT_EQ(back.GetArrayItem(i)->GetList(), list.GetArrayItem(i)->GetList());
        }
    }
    // A count larger than the record could hold is refused before anything is made.
    const Bytes lying = hex("08 00 00 00 FF FF 00 00 00 00 00 00");
    TMemoryStream m(lying.data(), static_cast<std::int64_t>(lying.size()));
    TWJKStringList back;
    EXPECT_THROW(back.ReadData(m, false), EReadError);
    EXPECT_EQ(back.GetCount(), 0);
}
