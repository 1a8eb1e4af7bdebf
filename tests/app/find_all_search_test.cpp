// 查找全部 without its window: the words around a hit, every text searched in order, a
// folder file read in its own encoding, one that cannot be read counted, the cap, 停止.

#include "app/FindAllSearch.h"
#include "framework/text/TextEncoding.h"
#include "tests/platform/TempFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orlenth {
namespace {

using platform::testing::TempFolder;

std::string Gbk(const char* utf8) {
    return UnicodeToGbk(QString::fromUtf8(utf8));
}

TEST(FindAllSearch, ContextShowsTheWordsAroundTheHit) {
    const struct {
        const char* name;
        const char* text;
        const char* word;
        int chars;
        const char* context;
    } rows[] = {
        {"middle", "一二三四五六七八", "四五", 2, "二三【四五】六七"},
        {"at_start", "四五六七", "四五", 3, "【四五】六七"},
        {"at_end", "一二三四五", "四五", 2, "二三【四五】"},
        {"breaks_as_spaces", "一\r\n四五\t二", "四五", 5, "一  【四五】 二"},
        {"mixed_widths", "ab一c四五d二ef", "四五", 3, "b一c【四五】d二e"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const std::string text = Gbk(r.text);
        const std::string word = Gbk(r.word);
        const text::TSearchHit hit{text.find(word), word.size()};
        EXPECT_EQ(HitContext(text, hit, r.chars), QString::fromUtf8(r.context));
    }
}

struct Found {
    std::vector<TFindAllHit> hits;
    TFindAllProgress last;
};

Found Search(std::vector<TFindAllText>& texts, const char* word, std::size_t cap,
             bool cancelled = false) {
    Found f;
    const std::atomic<bool> cancel{cancelled};
    const TFindAllProgress end = FindInAll(
        texts, text::TSearchPattern(QString::fromUtf8(word)), cap, cancel,
        [&](std::vector<TFindAllHit>&& hits) {
            for (auto& h : hits) f.hits.push_back(std::move(h));
        },
        [&](const TFindAllProgress& p) { f.last = p; });
    EXPECT_EQ(end.hits, f.hits.size());
    return f;
}

TEST(FindAllSearch, GoesOverArticlesAndFolderFilesInOrder) {
    TempFolder folder;
    // UTF-8 with a mark, read as the page reads it; a folder, which is no file to read.
    const std::string utf8 = folder.WriteFile("u.txt", "\xEF\xBB\xBF第一章 寻找\n又寻找");
    const std::string gone = folder / "gone.txt";
    std::vector<TFindAllText> texts(4);
    texts[0].article.SetText(Gbk("开头寻找\r\n"));
    texts[1].path = utf8;
    texts[2].path = gone;
    texts[3].article.SetText(Gbk("没有"));
    const Found f = Search(texts, "寻找", 100);
    ASSERT_EQ(f.hits.size(), 3u);
    EXPECT_EQ(f.hits[0].text, 0u);
    EXPECT_EQ(f.hits[1].text, 1u);
    EXPECT_EQ(f.hits[2].text, 1u);
    EXPECT_EQ(f.hits[1].context, QString::fromUtf8("第一章 【寻找】 又寻找"));
    EXPECT_EQ(f.last.searched, 4u);
    EXPECT_EQ(f.last.unreadable, 1u);
    EXPECT_FALSE(f.last.cut);
    // The articles' text is not kept once searched.
    EXPECT_TRUE(texts[0].article.Empty());
}

TEST(FindAllSearch, AFileIsReadInTheEncodingChosenForIt) {
    TempFolder folder;
    // 桃花 in Big5 (AE E7 AA E1) reads as other characters in GBK.
    const std::string big5 = folder.WriteFile("b.txt", "\xAE\xE7\xAA\xE1\r\n");
    std::vector<TFindAllText> texts(2);
    texts[0].path = big5;
    texts[0].encoding = platform::FileEncoding::Big5;
    texts[1].path = big5;
    texts[1].encoding = platform::FileEncoding::Gbk;
    const Found f = Search(texts, "桃花", 100);
    ASSERT_EQ(f.hits.size(), 1u);
    EXPECT_EQ(f.hits[0].text, 0u);
}

TEST(FindAllSearch, StopsAtTheCapAndWhenCancelled) {
    std::vector<TFindAllText> texts(3);
    for (auto& t : texts) t.article.SetText(Gbk("的的的"));
    const Found capped = Search(texts, "的", 4);
    EXPECT_EQ(capped.hits.size(), 4u);
    EXPECT_TRUE(capped.last.cut);
    EXPECT_EQ(capped.last.searched, 2u);

    std::vector<TFindAllText> again(2);
    for (auto& t : again) t.article.SetText(Gbk("的"));
    const Found stopped = Search(again, "的", 100, true);
    EXPECT_TRUE(stopped.hits.empty());
    EXPECT_EQ(stopped.last.searched, 0u);
}

} // namespace
} // namespace orlenth
