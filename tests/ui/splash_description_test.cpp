// The splash window's embedded description read into live controls: every property and
// handler name resolves, and the layout is the one its table gives.

#include "framework/ui/Form.h"
#include "framework/ui/Image.h"
#include "framework/ui/Label.h"
#include "framework/ui/Timer.h"

#include "framework/ClassRegistry.h"
#include "resource/ComponentReader.h"
#include "resource/EmbeddedStreams.h"
#include "resource/ObjectStream.h"
#include "resource/picture/Picture.h"
#include "framework/text/TextEncoding.h"

#include <gtest/gtest.h>

using namespace orlenth;

namespace splashtest {

class TSplashStandIn : public TCustomForm {
    Q_OBJECT
public:
    explicit TSplashStandIn(TComponent* owner = nullptr) : TCustomForm(owner) {}
    int clicks = 0;
public slots:
    void Image1Click(orlenth::TComponent*) { ++clicks; }
    void FormKeyPress(orlenth::TComponent*, char&) {}
    void FormClose(orlenth::TComponent*) {}
};

} // namespace splashtest

TEST(SplashDescription, ReadsIntoLiveControls) {
    RegisterColorIdents();
    RegisterCursorIdents();
    RegisterClass<TImage>();
    TPicture::SetDecoder(DecodePicture);
    RegisterClass<TLabel>();
    RegisterClass<TTimer>();
    splashtest::TSplashStandIn form;
    ReadComponent(ParseObjectStream(EmbeddedStream("TSTARYE")), form);
    EXPECT_EQ(form.Name(), "starYe");
    EXPECT_EQ(form.BorderStyle(), TCustomForm::bsNone);
    EXPECT_EQ(form.ClientWidth(), 360);
    EXPECT_EQ(form.ClientHeight(), 480);
    EXPECT_EQ(form.Widget()->size(), QSize(364, 484)) << "a 2-pixel band around the client area";

    auto* image = qobject_cast<TImage*>(form.FindComponent("Image1"));
    auto* label1 = qobject_cast<TLabel*>(form.FindComponent("Label1"));
    auto* label2 = qobject_cast<TLabel*>(form.FindComponent("Label2"));
    auto* timer = qobject_cast<TTimer*>(form.FindComponent("Timer1"));
    ASSERT_TRUE(image && label1 && label2 && timer);
    EXPECT_EQ(image->Picture()->Image().size(), QSize(360, 480));
    EXPECT_EQ(timer->Interval(), 4000);
    EXPECT_EQ(GbkToUnicode(label1->Caption().toStdString()), QString::fromUtf8("扩展文集  第⑴集"));
    EXPECT_EQ(label1->Font()->Height(), -21);
    // The labels stand left-aligned by their stored left: Label2 first, then Label1, over
    // the picture's left part (client coordinates start inside the band).
    EXPECT_EQ(label2->Widget()->geometry(), QRect(2, 2, 40, 480));
    EXPECT_EQ(label1->Widget()->geometry(), QRect(42, 2, 28, 480));

    image->Fire("OnClick", Q_ARG(orlenth::TComponent*, image));
    label1->Fire("OnClick", Q_ARG(orlenth::TComponent*, label1));
    EXPECT_EQ(form.clicks, 2);
}

#include "splash_description_test.moc"
