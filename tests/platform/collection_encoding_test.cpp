// Every article and catalogue of the built-in library is GBK: none of them may be taken
// for anything else by the folder's detection, whole or cut anywhere.

#include "app/platform/TextDetection.h"
#include "framework/Component.h"
#include "library/WJKStringList.h"
#include "library/WJKStringListItem.h"
#include "resource/EmbeddedStreams.h"
#include "resource/LibraryLoader.h"

#include <gtest/gtest.h>

#include <QStringEncoder>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace orlenth::platform {
namespace {

TEST(CollectionEncoding, NoArticleLeavesGbk) {
    RegisterLibraryClasses();
    TComponent owner;
    const TLibrary library = LoadLibrary(EmbeddedStream("TORLENTH"), owner);
    int texts = 0;
    for (TWJKStringList* list : library) {
        ASSERT_NE(list, nullptr);
        for (int i = 0; i < list->GetCount(); ++i) {
            const std::string text = list->GetArrayItem(i)->GetList().Text();
            ++texts;
            EXPECT_EQ(DetectEncoding(text), FileEncoding::Gbk) << "item " << i;
            for (std::size_t cut = 1; cut <= 3 && cut < text.size(); ++cut)
                EXPECT_EQ(DetectEncoding(std::string_view(text).substr(0, text.size() - cut)),
                          FileEncoding::Gbk)
                    << "item " << i << " cut by " << cut;
        }
    }
    EXPECT_EQ(texts, 245);
}

// The articles' sources, UTF-8, each turned into GBK here: whole, and every 997 bytes cut
// short (cuts that fall inside a character about half the time), and cut one byte into
// its last character.
TEST(CollectionEncoding, SourcesInGbkNeverLeaveGbk) {
    int articles = 0, cuts = 0;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(ORLENTH_COLLECTION_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream utf8;
        utf8 << in.rdbuf();
        QStringEncoder toGbk("GBK", QStringConverter::Flag::Stateless);
        const QByteArray encoded = toGbk.encode(QString::fromStdString(utf8.str()));
        const std::string gbk = encoded.toStdString();
        ASSERT_FALSE(toGbk.hasError()) << entry.path();
        ++articles;
        const std::string name =
            entry.path().parent_path().filename().string() + "/" + entry.path().filename().string();
        EXPECT_EQ(DetectEncoding(gbk), FileEncoding::Gbk) << name;
        for (std::size_t cut = 997; cut < gbk.size(); cut += 997, ++cuts)
            EXPECT_EQ(DetectEncoding(std::string_view(gbk).substr(0, cut)), FileEncoding::Gbk)
                << name << " cut at " << cut;
        if (gbk.size() >= 2 && static_cast<unsigned char>(gbk[gbk.size() - 2]) >= 0x81) {
            EXPECT_EQ(DetectEncoding(std::string_view(gbk).substr(0, gbk.size() - 1)),
                      FileEncoding::Gbk)
                << name << " cut inside its last character";
        }
    }
    EXPECT_EQ(articles, 240);
    EXPECT_GT(cuts, 1000);
}

} // namespace
} // namespace orlenth::platform
