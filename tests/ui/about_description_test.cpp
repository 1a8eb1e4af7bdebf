// The About window's embedded description read into live controls.

#include "framework/ui/Form.h"
#include "framework/ui/Image.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"

#include "framework/ClassRegistry.h"
#include "resource/ComponentReader.h"
#include "resource/EmbeddedStreams.h"
#include "resource/ObjectStream.h"
#include "resource/picture/Picture.h"
#include "framework/text/TextEncoding.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

using namespace orlenth;

namespace abouttest {

class TAboutStandIn : public TCustomForm {
    Q_OBJECT
public:
    explicit TAboutStandIn(TComponent* owner = nullptr) : TCustomForm(owner) {}
    std::vector<std::string> calls;
public slots:
    void Image1Click(orlenth::TComponent*) { calls.push_back("Image1Click"); }
    void FormKeyPress(orlenth::TComponent*, char& key) {
        calls.push_back("key " + std::to_string(key));
    }
    void FormShow(orlenth::TComponent*) { calls.push_back("FormShow"); }
    void Panel4MouseDown(orlenth::TComponent*, int button, int, int, int) {
        calls.push_back("down " + std::to_string(button));
    }
    void Panel4MouseUp(orlenth::TComponent*, int button, int, int, int) {
        calls.push_back("up " + std::to_string(button));
    }
};

} // namespace abouttest

TEST(AboutDescription, ReadsIntoLiveControls) {
    RegisterColorIdents();
    RegisterCursorIdents();
    RegisterClass<TImage>();
    TPicture::SetDecoder(DecodePicture);
    RegisterClass<TLabel>();
    RegisterClass<TPanel>();
    abouttest::TAboutStandIn form;
    ReadComponent(ParseObjectStream(EmbeddedStream("TABOUTKESTROW")), form);
    EXPECT_EQ(form.Name(), "aboutKestrow");
    EXPECT_EQ(GbkToUnicode(form.Caption().toStdString()), QString::fromUtf8("关于Kestrow软件"));
    EXPECT_EQ(form.BorderStyle(), TCustomForm::bsSingle);
    EXPECT_EQ(form.ClientWidth(), 327);
    EXPECT_EQ(form.ClientHeight(), 332);
    EXPECT_EQ(form.Color(), 0x00EFF3F7);

    auto* image = qobject_cast<TImage*>(form.FindComponent("Image1"));
    auto* panel = qobject_cast<TPanel*>(form.FindComponent("Panel4"));
    ASSERT_TRUE(image && panel);
    EXPECT_EQ(image->Picture()->Image().size(), QSize(62, 96));
    EXPECT_EQ(image->Cursor(), -20) << "the help cursor";
    EXPECT_EQ(panel->Widget()->geometry(), QRect(106, 293, 122, 22));
    EXPECT_EQ(panel->BevelInner(), TPanel::bvRaised);
    EXPECT_EQ(panel->BevelOuter(), TPanel::bvRaised);
    EXPECT_EQ(panel->Color(), form.Color()) << "the window's colour";
    EXPECT_EQ(panel->Widget()->cursor().shape(), Qt::PointingHandCursor);

    // Pressing and releasing the right button on the close panel reaches both handlers.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::RightButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(panel->Widget(), &press);
    QApplication::sendEvent(panel->Widget(), &release);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"down 1", "up 1"}));
}

#include "about_description_test.moc"
