// A font read from a description through dotted property names, and what it stands for.

#include "framework/ui/Font.h"

#include "framework/ClassRegistry.h"
#include "framework/Component.h"
#include "framework/Errors.h"
#include "resource/ComponentReader.h"
#include "resource/ObjectStream.h"

#include <QFontInfo>
#include <QStringEncoder>
#include <gtest/gtest.h>

using namespace orlenth;

namespace fonttest {

class TWithFont : public TComponent {
    Q_OBJECT
    Q_PROPERTY(orlenth::TFont* Font READ Font)

public:
    explicit TWithFont(TComponent* owner = nullptr) : TComponent(owner) {}
    orlenth::TFont* Font() { return &font_; }

private:
    orlenth::TFont font_;
};

} // namespace fonttest

namespace {

std::string gbk(const char* utf8) {
    QStringEncoder enc("GBK");
    const QByteArray b = enc.encode(QString::fromUtf8(utf8));
    return b.toStdString();
}

} // namespace

TEST(Font, ReadThroughDottedNames) {
    RegisterColorIdents();
    TObjectRecord r;
    r.className = "TWithFont";
    r.name = "Panel2";
    r.properties = {{"Font.Charset", MakeIdentValue("GB2312_CHARSET")},
                    {"Font.Color", MakeIdentValue("clBlue")},
                    {"Font.Height", MakeIntegerValue(-21)},
                    {"Font.Name", MakeTextValue(gbk("楷体_GB2312"))},
                    {"Font.Style", [] {
                         TValue v;
                         v.tag = ValueTag::Set;
                         v.Members() = {"fsBold"};
                         return v;
                     }()}};
    fonttest::TWithFont c;
    ReadComponent(r, c);
    const TFont& f = *c.Font();
    EXPECT_EQ(f.Charset(), TFont::GB2312_CHARSET);
    EXPECT_EQ(f.Color(), 0x00FF0000);
    EXPECT_EQ(f.Height(), -21);
    EXPECT_EQ(f.Name().toStdString(), gbk("楷体_GB2312"));
    EXPECT_TRUE(f.Style().testFlag(TFont::fsBold));
    const QFont q = f.ToQFont();
    EXPECT_EQ(q.pixelSize(), 21);
    EXPECT_TRUE(q.bold());
    EXPECT_EQ(q.family(), QString::fromUtf8("楷体_GB2312"));

    r.properties = {{"Font.Weight", MakeIntegerValue(1)}};
    fonttest::TWithFont d;
    try {
        ReadComponent(r, d);
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  "Error reading Panel2.Font.Weight: Property Font.Weight does not exist");
    }
}

TEST(Font, SizesInPointsAt96Dpi) {
    TFont f;
    struct Row {
        int height, points;
    } rows[] = {{-13, 10}, {-14, 11}, {-16, 12}, {-21, 16}, {-11, 8}};
    for (const auto& r : rows) {
        f.SetHeight(r.height);
        EXPECT_EQ(f.SizeInPoints(), r.points) << r.height;
    }
}

TEST(Font, StoredFaceNamesReachChineseFaces) {
    InstallFontSubstitutions();
    struct Row {
        const char* stored;
        const char* family;
    } rows[] = {{"宋体", "AR PL UMing"}, {"楷体_GB2312", "AR PL UKai"}};
    for (const auto& r : rows) {
        QFont q(QString::fromUtf8(r.stored));
        q.setPixelSize(14);
        EXPECT_TRUE(QFontInfo(q).family().startsWith(r.family))
            << r.stored << " -> " << QFontInfo(q).family().toStdString();
    }
}

#include "font_test.moc"
