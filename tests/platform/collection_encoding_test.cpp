// Every article and catalogue of the built-in library is GBK: none of them may be taken
// for UTF-8 by the folder's detection, whole or cut anywhere near its end.

#include "app/platform/TextDetection.h"
#include "framework/Component.h"
#include "library/WJKStringList.h"
#include "library/WJKStringListItem.h"
#include "resource/EmbeddedStreams.h"
#include "resource/LibraryLoader.h"

#include <gtest/gtest.h>

namespace orlenth::platform {
namespace {

TEST(CollectionEncoding, NoArticleIsTakenForUtf8) {
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

} // namespace
} // namespace orlenth::platform
