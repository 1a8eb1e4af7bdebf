#include "app/platform/DroppedPath.h"

#include "tests/platform/TempFolder.h"

#include <QMimeData>
#include <QUrl>

namespace orlenth::platform {
namespace {

using testing::RowName;

struct DropRow {
    const char* name;
    const char* uriList; // the drop's text/uri-list, none when null
    const char* text;    // its text/plain, none when null
    const char* path;    // what it names; nothing when null
};

const DropRow kDropRows[] = {
    {"OneLocalFile", "file:///home/u/a.txt\r\n", nullptr, "/home/u/a.txt"},
    {"Folder", "file:///home/u/books/\r\n", nullptr, "/home/u/books/"},
    {"TwoFilesFirstWins", "file:///home/u/a.txt\r\nfile:///home/u/b.txt\r\n", nullptr,
     "/home/u/a.txt"},
    {"RemoteBeforeLocalIsPassedOver", "https://example.org/a.txt\r\nfile:///b.txt\r\n", nullptr,
     "/b.txt"},
    {"OnlyRemote", "https://example.org/a.txt\r\nftp://example.org/b.txt\r\n", nullptr, nullptr},
    {"PlainTextPath", nullptr, "/home/u/a.txt", nullptr},
    {"PlainTextFileUrl", nullptr, "file:///home/u/a.txt", nullptr},
    {"NothingAtAll", nullptr, nullptr, nullptr},
    {"EmptyUriList", "", nullptr, nullptr},
    {"EmptyLocalPathIsPassedOver", "file://\r\nfile:///c.txt\r\n", nullptr, "/c.txt"},
    {"SpacesAndChinese", "file:///home/u/my%20books/%E4%B9%A6%20%E4%B8%80.txt", nullptr,
     "/home/u/my books/\xE4\xB9\xA6 \xE4\xB8\x80.txt"},
    {"EscapedSlashIsASlash", "file:///a%2Fb.txt", nullptr, "/a/b.txt"},
    {"DotDotKept", "file:///home/u/../../etc/passwd", nullptr, "/home/u/../../etc/passwd"},
    {"ControlCharacters", "file:///a%01%1B%7Fb.txt", nullptr,
     "/a\x01\x1B\x7F"
     "b.txt"},
    // A file manager escapes a name's bytes as they are; GBK ones are no UTF-8.
    {"GbkNameBytes", "file:///home/u/%B2%E2.txt", nullptr, "/home/u/\xB2\xE2.txt"},
    {"HostKept", "file://server/share/a.txt", nullptr, "//server/share/a.txt"},
    {"NulBytePassedOver", "file:///a%00/etc/passwd\r\nfile:///d.txt", nullptr, "/d.txt"},
    {"UriListWithTextBeside", "file:///a.txt", "something else", "/a.txt"},
};

class DroppedPathTest : public ::testing::TestWithParam<DropRow> {};

TEST_P(DroppedPathTest, FirstLocalFileAsBytes) {
    const DropRow& r = GetParam();
    QMimeData drop;
    if (r.uriList) drop.setData(QStringLiteral("text/uri-list"), QByteArray(r.uriList));
    if (r.text) drop.setText(QString::fromUtf8(r.text));
    const std::optional<std::string> got = DroppedPath(drop);
    if (r.path) {
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, r.path);
    } else {
        EXPECT_FALSE(got.has_value()) << *got;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, DroppedPathTest, ::testing::ValuesIn(kDropRows), RowName());

// A drop made by Qt itself (a file manager built on it, or our own window) names files by
// QUrl::fromLocalFile; the path comes back byte for byte.
TEST(DroppedPath, UrlsMadeFromLocalFilesRoundTrip) {
    const QString path = QString::fromUtf8("/tmp/我的 书/第1章 #?%.txt");
    QMimeData drop;
    drop.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(QStringLiteral("/other"))});
    EXPECT_EQ(DroppedPath(drop), std::optional<std::string>(path.toStdString()));
}

} // namespace
} // namespace orlenth::platform
