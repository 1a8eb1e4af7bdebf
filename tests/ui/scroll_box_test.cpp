// The reading area: its scroll range and position, children cut to the visible part of a
// content space taller than any widget, wheel and scroll bar, and its events. The main
// window's own area, as its description builds it, is tested on the window (tests/app).

#include "framework/ui/Form.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/ScrollSteps.h"

#include "framework/Events.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>

using namespace orlenth;

namespace scrolltest {

// Stands in for the main window: the handlers the page's description names.
class TPageForm : public TCustomForm {
    Q_OBJECT
public:
    explicit TPageForm(TComponent* owner = nullptr) : TCustomForm(owner) {}
    std::vector<std::string> calls;
    std::vector<QRect> clips;
    std::function<void(TCanvas&)> draw;
public slots:
    void ToolButton7Click(orlenth::TComponent* sender) {
        calls.push_back("dblclick " + sender->Name());
    }
    void ScrollBox1Resize(orlenth::TComponent*) { calls.push_back("resize"); }
    void PaintBox1Paint(orlenth::TComponent* sender) {
        auto* box = static_cast<TPaintBox*>(sender);
        clips.push_back(box->Canvas()->ClipRect());
        if (draw) draw(*box->Canvas());
    }
};

} // namespace scrolltest

using scrolltest::TPageForm;

namespace {

// An area 300 × 200 without a border, holding one page.
struct Area {
    TScrollBox box;
    TPaintBox page;
    TPageForm form;
    Area() {
        box.SetBorderStyle(TScrollBox::bsNone);
        box.SetBounds(QRect(0, 0, 300, 200));
        page.SetParent(&box);
        page.SetBounds(QRect(4, 2, 200, 100));
        page.SetName("PaintBox1");
        box.SetName("ScrollBox1");
        box.BindEvent("OnResize", &form, FindHandler(form, "ScrollBox1Resize"));
        box.BindEvent("OnDblClick", &form, FindHandler(form, "ToolButton7Click"));
        page.BindEvent("OnDblClick", &form, FindHandler(form, "ToolButton7Click"));
        page.BindEvent("OnPaint", &form, FindHandler(form, "PaintBox1Paint"));
    }
    int BarWidth() const { return box.Widget()->style()->pixelMetric(QStyle::PM_ScrollBarExtent); }
};

} // namespace

TEST(ScrollBox, RangeFollowsTheChildrenAndClampsThePosition) {
    Area a;
    EXPECT_EQ(a.box.VertRange(), 102) << "top 2 + height 100";
    EXPECT_FALSE(a.box.VertScrollBarShown());
    EXPECT_EQ(a.box.ClientWidth(), 300);
    EXPECT_EQ(a.box.ClientHeight(), 200);
    a.box.SetVertPosition(50);
    EXPECT_EQ(a.box.VertPosition(), 0) << "nothing to scroll";

    struct Row {
        const char* name;
        int pageHeight, setTo, expected;
    } rows[] = {
        {"past_the_end", 1000, 5000, 802},
        {"negative", 1000, -5, 0},
        {"inside", 1000, 300, 300},
        {"exactly_the_end", 1000, 802, 802},
        {"range_equal_to_client", 198, 10, 0},
    };
    for (const Row& r : rows) {
        a.page.SetHeight(r.pageHeight);
        a.box.SetVertPosition(r.setTo);
        EXPECT_EQ(a.box.VertPosition(), r.expected) << r.name;
    }

    a.page.SetHeight(1000);
    EXPECT_TRUE(a.box.VertScrollBarShown());
    EXPECT_EQ(a.box.ClientWidth(), 300 - a.BarWidth());
    EXPECT_EQ(a.box.ClientHeight(), 200);
    EXPECT_EQ(a.box.Width(), 300) << "the whole width includes the bar";
    // Setting the current value again (or one that clamps to it) re-places nothing: a
    // widget moved behind the area's back stays where it was put.
    a.box.SetVertPosition(802);
    a.page.Widget()->move(7, 7);
    a.box.SetVertPosition(9000);
    EXPECT_EQ(a.page.Widget()->pos(), QPoint(7, 7));
    a.box.SetVertPosition(801);
    EXPECT_EQ(a.page.Widget()->pos(), QPoint(4, 0));
    a.box.SetVertPosition(700);
    a.page.SetHeight(500);
    EXPECT_EQ(a.box.VertRange(), 502);
    EXPECT_EQ(a.box.VertPosition(), 302) << "a shrinking range pulls the position back";
    a.page.SetVisible(false);
    EXPECT_EQ(a.box.VertRange(), 0) << "invisible children take no room";
    EXPECT_EQ(a.box.VertPosition(), 0);
    EXPECT_FALSE(a.box.VertScrollBarShown());
    EXPECT_EQ(a.box.ClientWidth(), 300);
}

TEST(ScrollBox, ChildrenAreCutToTheVisiblePart) {
    Area a;
    struct Row {
        const char* name;
        int position;
        QRect geometry;
        QPoint origin;
    } rows[] = {
        {"top", 0, QRect(4, 2, 200, 198), QPoint(0, 0)},
        {"middle", 1000, QRect(4, 0, 200, 200), QPoint(0, 998)},
        {"end", 79999802, QRect(4, 0, 200, 200), QPoint(0, 79999800)},
    };
    a.page.SetHeight(80000000);
    EXPECT_EQ(a.box.VertRange(), 80000002);
    for (const Row& r : rows) {
        a.box.SetVertPosition(r.position);
        EXPECT_EQ(a.box.VertPosition(), r.position) << r.name;
        EXPECT_EQ(a.page.Widget()->geometry(), r.geometry) << r.name;
        EXPECT_EQ(a.page.WidgetOrigin(), r.origin) << r.name;
    }
    // Scrolled past a short page, its widget is hidden rather than placed off view.
    TPaintBox second;
    second.SetParent(&a.box);
    second.SetBounds(QRect(0, 10, 50, 50));
    a.box.SetVertPosition(1000);
    EXPECT_TRUE(second.Widget()->isHidden());
    EXPECT_TRUE(second.Visible());
    a.box.SetVertPosition(20);
    EXPECT_FALSE(second.Widget()->isHidden());
    EXPECT_EQ(second.Widget()->geometry(), QRect(0, 0, 50, 40));
    EXPECT_EQ(second.WidgetOrigin(), QPoint(0, 10));
}

TEST(ScrollBox, APageTallerThanAnyWidgetPaintsItsLastRows) {
    Area a;
    a.page.SetColor(0x00FFFFFF);
    a.page.SetHeight(80000000);
    const std::int64_t end = a.box.MaxVertPosition();
    ASSERT_EQ(end, 79999802);
    a.box.SetVertPosition(end);
    // A rule every 100 rows of the page and a text line; only those in view may show.
    QSize cell;
    a.form.draw = [&cell](TCanvas& c) {
        const QRect clip = c.ClipRect();
        c.Pen()->SetStyle(TPen::psClear);
        c.Rectangle(clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1);
        c.Pen()->SetStyle(TPen::psSolid);
        c.Pen()->SetColor(0x000000FF);
        for (int y = 79999700; y < 80000000; y += 100) {
            c.MoveTo(0, y);
            c.LineTo(200, y);
        }
        c.Brush()->SetColor(0x00FF0000);
        c.Font()->SetColor(0x0000FF00);
        c.TextOut(10, 79999950, "End");
        cell = QSize(c.TextWidth("End"), c.TextHeight("End"));
    };
    a.form.clips.clear();
    const QImage img = a.box.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(a.form.clips.empty());
    EXPECT_EQ(a.form.clips.back(), QRect(0, 79999800, 200, 200)) << "in the page's rows";
    // Page row 79999900 is area row 79999900 - 79999802 + 2 = 100, column 4 + x.
    const QColor red(0xFF, 0, 0), white(0xFF, 0xFF, 0xFF), blue(0, 0, 0xFF);
    EXPECT_EQ(QColor(img.pixel(4, 100)), red);
    EXPECT_EQ(QColor(img.pixel(150, 100)), red);
    EXPECT_EQ(QColor(img.pixel(4, 0)), red) << "row 79999800";
    EXPECT_EQ(QColor(img.pixel(4, 99)), white);
    EXPECT_EQ(QColor(img.pixel(4, 101)), white);
    EXPECT_EQ(QColor(img.pixel(4, 199)), white);
    // The text cell's top-left, filled with the brush.
    EXPECT_EQ(QColor(img.pixel(14, 150)), blue);
    EXPECT_EQ(QColor(img.pixel(13, 150)), white);
    // The glyphs themselves, in the font's green, this far down the page.
    int green = 0;
    for (int y = 150; y < 150 + cell.height(); ++y)
        for (int x = 14; x < 14 + cell.width(); ++x)
            if (QColor(img.pixel(x, y)).green() > 150 && QColor(img.pixel(x, y)).blue() < 100)
                ++green;
    EXPECT_GT(green, 10);
}

// Past 2^31 rows: the page of a very long text. The child's height is 64-bit, the
// position too, and the canvas paints the far rows through its row offset.
TEST(ScrollBox, APageTallerThanAnIntIsReachedToItsLastRow) {
    Area a;
    a.page.SetColor(0x00FFFFFF);
    constexpr std::int64_t kHeight = (std::int64_t{1} << 33) + 12345;
    a.page.SetHeight64(kHeight);
    EXPECT_EQ(a.page.Height64(), kHeight);
    EXPECT_EQ(a.page.Height(), std::numeric_limits<int>::max() - 2) << "what fits below top 2";
    EXPECT_EQ(a.box.VertRange(), kHeight + 2);
    const std::int64_t end = a.box.MaxVertPosition();
    ASSERT_EQ(end, kHeight + 2 - 200);
    a.box.SetVertPosition(end);
    EXPECT_EQ(a.box.VertPosition(), end);
    EXPECT_EQ(a.page.WidgetOriginTop(), kHeight - 200);
    EXPECT_EQ(a.page.WidgetOrigin().y(), std::numeric_limits<int>::max()) << "clamped";
    EXPECT_EQ(a.page.Widget()->geometry(), QRect(4, 0, 200, 200));
    // A new width keeps the tall height; a new height replaces it.
    a.page.SetWidth(210);
    EXPECT_EQ(a.page.Height64(), kHeight);
    EXPECT_EQ(a.box.VertPosition(), end);

    // A rule on the last row and text just above it, drawn in the page's 64-bit rows.
    std::int64_t offset = -1;
    a.form.draw = [&](TCanvas& c) {
        offset = c.RowOffset();
        const QRect clip = c.ClipRect();
        c.Pen()->SetStyle(TPen::psClear);
        c.Rectangle(clip.left(), clip.top(), clip.right() + 1, clip.bottom() + 1);
        c.Pen()->SetStyle(TPen::psSolid);
        c.Pen()->SetColor(0x000000FF);
        c.MoveTo(0, c.Row(kHeight - 1));
        c.LineTo(200, c.Row(kHeight - 1));
        c.Brush()->SetColor(0x00FF0000);
        c.TextOut(10, c.Row(kHeight - 100), "End");
    };
    a.form.clips.clear();
    const QImage img = a.box.Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(a.form.clips.empty());
    EXPECT_EQ(offset % TCanvas::kRowTile, 0);
    EXPECT_LE(offset, kHeight - 200);
    EXPECT_EQ(offset + a.form.clips.back().top(), kHeight - 200) << "the clip in canvas rows";
    const QColor red(0xFF, 0, 0), white(0xFF, 0xFF, 0xFF), blue(0, 0, 0xFF);
    EXPECT_EQ(QColor(img.pixel(4, 199)), red) << "the page's last row at the area's last";
    EXPECT_EQ(QColor(img.pixel(4, 198)), white);
    EXPECT_EQ(QColor(img.pixel(14, 100)), blue) << "the text cell 100 rows above the end";
    EXPECT_EQ(QColor(img.pixel(14, 99)), white);

    // Rows far from the canvas are clamped, in order, with room for their differences.
    int checked = 0;
    a.form.draw = [&](TCanvas& c) {
        ++checked;
        EXPECT_EQ(c.Row(0), -(2 * TCanvas::kRowTile - 1));
        EXPECT_EQ(c.Row(std::int64_t{1} << 62), 2 * TCanvas::kRowTile - 1);
        EXPECT_EQ(c.Row(c.RowOffset() + 7), 7);
    };
    a.box.Widget()->grab();
    EXPECT_GT(checked, 0);
    a.page.SetHeight(500);
    EXPECT_EQ(a.page.Height64(), 500);
    EXPECT_EQ(a.box.VertRange(), 502);
}

TEST(ScrollBox, TheBarScalesARangePastAnInt) {
    Area a;
    auto* bar = a.box.Widget()->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    constexpr std::int64_t kHeight = std::int64_t{1} << 36;
    a.page.SetHeight64(kHeight);
    const std::int64_t end = a.box.MaxVertPosition();
    EXPECT_EQ(bar->maximum(), kScaledBarMaximum);
    EXPECT_EQ(bar->pageStep(), BarPageStep(200, end));
    // The bar's ends are the page's ends, exactly.
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(a.box.VertPosition(), end);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(a.box.VertPosition(), 0);
    // The thumb's middle is the middle of the page, to a bar step.
    bar->setValue(kScaledBarMaximum / 2);
    EXPECT_NEAR(static_cast<double>(a.box.VertPosition()), static_cast<double>(end) / 2,
                static_cast<double>(end) / kScaledBarMaximum);
    // An arrow moves by pixels even where a bar step is 64 of them, and the bar follows.
    const std::int64_t before = a.box.VertPosition();
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(a.box.VertPosition(), before + 8);
    a.box.SetVertPosition(end - 3);
    EXPECT_EQ(bar->value(), kScaledBarMaximum) << "rounded to the nearest step";
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(a.box.VertPosition(), end);
    // The wheel near the end of the tall page.
    QWheelEvent up(QPointF(250, 100), QPointF(250, 100), QPoint(), QPoint(0, 120), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(a.box.ClientWidget(), &up);
    EXPECT_EQ(a.box.VertPosition(), end - 3 * 8);
}

TEST(ScrollSteps, BarValuesForPositionsPastAnInt) {
    constexpr std::int64_t kIntMax = std::numeric_limits<int>::max();
    constexpr std::int64_t kTall = std::int64_t{1} << 40; // 1024 pixels a bar step
    struct Row {
        const char* name;
        std::int64_t position, maxPosition;
        int maximum, value;
        std::int64_t back; // the position the value stands for
    };
    for (const Row& r : {
             Row{"pixels", 400, 802, 802, 400, 400},
             Row{"int max counts pixels", kIntMax - 1, kIntMax, INT32_MAX, INT32_MAX - 1,
                 kIntMax - 1},
             Row{"scaled top", 0, kTall, kScaledBarMaximum, 0, 0},
             Row{"scaled end", kTall, kTall, kScaledBarMaximum, kScaledBarMaximum, kTall},
             Row{"scaled middle", kTall / 2, kTall, kScaledBarMaximum, kScaledBarMaximum / 2,
                 kTall / 2},
             Row{"rounds down", 1024 * 7 + 511, kTall, kScaledBarMaximum, 7, 1024 * 7},
             Row{"rounds up", 1024 * 7 + 512, kTall, kScaledBarMaximum, 8, 1024 * 8},
             Row{"half a step rounds up", 1, kIntMax + 1, kScaledBarMaximum, 1, 2},
             Row{"end one past an int", kIntMax + 1, kIntMax + 1, kScaledBarMaximum,
                 kScaledBarMaximum, kIntMax + 1},
             Row{"past the end clamps", kTall * 2, kTall, kScaledBarMaximum, kScaledBarMaximum,
                 kTall},
             Row{"negative clamps", -5, kTall, kScaledBarMaximum, 0, 0},
             Row{"nothing to scroll", 0, -7, 0, 0, 0},
         }) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(BarMaximum(r.maxPosition), r.maximum);
        EXPECT_EQ(BarValue(r.position, r.maxPosition), r.value);
        EXPECT_EQ(BarPosition(r.value, r.maxPosition), r.back);
    }
    EXPECT_EQ(BarPosition(kScaledBarMaximum + 9, kTall), kTall) << "a value past the bar";
    EXPECT_EQ(BarPageStep(396, 802), 396);
    EXPECT_EQ(BarPageStep(0, 802), 1);
    EXPECT_EQ(BarPageStep(396 * 1024, kTall), 396);
    EXPECT_EQ(BarPageStep(396, kTall), 1) << "never below 1";
}

// End keeps the end in view while the page grows (a text still arriving); any other move
// ends that.
TEST(ScrollBox, EndFollowsAGrowingPageUntilAnotherMove) {
    Area a;
    a.page.SetHeight(1000);
    a.box.Widget()->show();
    auto key = [&](int k) {
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(a.box.ClientWidget(), &press);
    };
    auto* bar = a.box.Widget()->findChild<QScrollBar*>();
    QWheelEvent notch(QPointF(250, 100), QPointF(250, 100), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    struct Row {
        const char* name;
        std::function<void()> move;
    };
    for (const Row& r : {
             Row{"a key", [&] { key(Qt::Key_Up); }},
             Row{"a key that moves nothing new", [&] { key(Qt::Key_PageDown); }},
             Row{"the bar", [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepSub); }},
             Row{"the wheel", [&] { QApplication::sendEvent(a.box.ClientWidget(), &notch); }},
             Row{"a set position", [&] { a.box.SetVertPosition(0); }},
         }) {
        SCOPED_TRACE(r.name);
        a.page.SetHeight(1000);
        a.box.SetVertPosition(0);
        key(Qt::Key_End);
        EXPECT_TRUE(a.box.FollowingEnd());
        EXPECT_EQ(a.box.VertPosition(), 802);
        a.page.SetHeight(3000);
        EXPECT_EQ(a.box.VertPosition(), 2802) << "the end moved on";
        EXPECT_EQ(bar->value(), 2802);
        a.page.SetHeight64(std::int64_t{1} << 35);
        EXPECT_EQ(a.box.VertPosition(), (std::int64_t{1} << 35) + 2 - 200);
        EXPECT_EQ(bar->value(), kScaledBarMaximum);
        a.page.SetHeight(3000);
        EXPECT_EQ(a.box.VertPosition(), 2802) << "and back";
        r.move();
        EXPECT_FALSE(a.box.FollowingEnd());
        const std::int64_t left = a.box.VertPosition();
        a.page.SetHeight(5000);
        EXPECT_EQ(a.box.VertPosition(), left) << "no more following";
    }
}

TEST(ScrollBox, WheelAndScrollBarScroll) {
    Area a;
    a.page.SetHeight(1000);
    QWheelEvent down(QPointF(250, 100), QPointF(250, 100), QPoint(), QPoint(0, -120), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(a.box.ClientWidget(), &down);
    EXPECT_EQ(a.box.VertPosition(), 3 * 8) << "three increments a notch";
    // Over the page the wheel is left unhandled, so that Qt passes it on to the area.
    QApplication::sendEvent(a.page.Widget(), &down);
    EXPECT_FALSE(down.isAccepted());
    QApplication::sendEvent(a.box.ClientWidget(), &down);
    EXPECT_EQ(a.box.VertPosition(), 6 * 8);
    QWheelEvent up(QPointF(250, 100), QPointF(250, 100), QPoint(), QPoint(0, 240), Qt::NoButton,
                   Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(a.box.ClientWidget(), &up);
    EXPECT_EQ(a.box.VertPosition(), 0) << "stops at the top";

    auto* bar = a.box.Widget()->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 802);
    EXPECT_EQ(bar->pageStep(), 200);
    bar->setValue(400);
    EXPECT_EQ(a.box.VertPosition(), 400);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(a.box.VertPosition(), 408);
    a.box.SetVertPosition(10);
    EXPECT_EQ(bar->value(), 10) << "the bar follows the position";
}

TEST(ScrollSteps, SmoothStepsAndSubSteps) {
    struct Row {
        const char* name;
        int visible, page, line;
    };
    for (const Row& r : {Row{"design height", 396, 356, 35}, Row{"tiny", 5, 4, 1},
                         Row{"nothing visible", 0, 1, 1}, Row{"negative", -7, 1, 1}}) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(SmoothScrollSteps(r.visible).page, r.page);
        EXPECT_EQ(SmoothScrollSteps(r.visible).line, r.line);
    }
    struct Cut {
        const char* name;
        int distance, parts;
        std::vector<int> steps;
    };
    const std::vector<int> page(12, 29);
    std::vector<int> pageWithRest = page;
    pageWithRest.push_back(8);
    for (const Cut& c : {Cut{"page", 356, 12, pageWithRest}, Cut{"line", 35, 4, {8, 8, 8, 8, 3}},
                         Cut{"line up", -35, 4, {-8, -8, -8, -8, -3}}, Cut{"exact", 348, 12, page},
                         Cut{"short of the parts", 3, 4, {3}}, Cut{"none", 0, 4, {}},
                         Cut{"no parts", 5, 0, {5}}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(SubSteps(c.distance, c.parts), c.steps);
    }
}

TEST(ScrollBox, SmoothBarStepsInTimedSubSteps) {
    Area a;
    a.box.VertScrollBar()->SetSmooth(true);
    a.box.SetBounds(QRect(0, 0, 300, 396));
    a.page.SetHeight(5000);
    auto* bar = a.box.Widget()->findChild<QScrollBar*>();
    ASSERT_NE(bar, nullptr);
    struct Row {
        const char* name;
        QAbstractSlider::SliderAction action;
        int from, to, subSteps;
    };
    for (const Row& r :
         {Row{"track down", QAbstractSlider::SliderPageStepAdd, 100, 456, 13},
          Row{"track up", QAbstractSlider::SliderPageStepSub, 456, 100, 13},
          Row{"arrow down", QAbstractSlider::SliderSingleStepAdd, 100, 135, 5},
          Row{"arrow up near the top", QAbstractSlider::SliderSingleStepSub, 20, 0, 3},
          Row{"bottom", QAbstractSlider::SliderToMaximum, 100, 5002 - 396, 1}}) {
        SCOPED_TRACE(r.name);
        a.box.SetVertPosition(r.from);
        QElapsedTimer took;
        took.start();
        bar->triggerAction(r.action);
        EXPECT_EQ(a.box.VertPosition(), r.to);
        EXPECT_EQ(bar->value(), r.to);
        EXPECT_GE(took.elapsed(), (r.subSteps - 1) * TScrollBox::kSubStepMs)
            << "sub-steps at least " << TScrollBox::kSubStepMs << " ms apart";
    }
    a.box.SetVertPosition(100);
    QWheelEvent notch(QPointF(250, 100), QPointF(250, 100), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(a.box.ClientWidget(), &notch);
    EXPECT_EQ(a.box.VertPosition(), 100 + QApplication::wheelScrollLines() * 35) << "by lines";
}

TEST(ScrollBox, PositionsForTheNextFrameAreShownOnceThere) {
    Area a;
    a.page.SetHeight(1000);
    auto* bar = a.box.Widget()->findChild<QScrollBar*>();
    for (int pos = 2; pos <= 20; pos += 2) a.box.SetVertPosition(pos, TScrollBox::kNextFrame);
    EXPECT_EQ(a.box.VertPosition(), 20);
    EXPECT_EQ(a.page.WidgetOrigin(), QPoint(0, 0)) << "nothing moved before the frame";
    EXPECT_EQ(bar->value(), 0);
    QElapsedTimer clock;
    clock.start();
    while (a.page.WidgetOrigin().y() == 0 && clock.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(a.page.WidgetOrigin(), QPoint(0, 18)) << "the page's top is 2 down";
    EXPECT_EQ(bar->value(), 20);
    a.box.SetVertPosition(30, TScrollBox::kNextFrame);
    a.box.SetVertPosition(30);
    EXPECT_EQ(a.page.WidgetOrigin(), QPoint(0, 28)) << "an immediate set shows a pending one";
}

TEST(ScrollBox, ResizeReportsOwnSizeOnlyAndAlignedChildrenFollowTheClientWidth) {
    Area a;
    TPaintBox strip;
    strip.SetParent(&a.box);
    strip.SetBounds(QRect(0, 0, 10, 20));
    strip.SetAlign(TControl::alTop);
    EXPECT_EQ(strip.Width(), 300);
    a.box.Widget()->show();
    EXPECT_EQ(a.form.calls, std::vector<std::string>{"resize"}) << "the first showing";
    a.box.SetBounds(QRect(0, 0, 320, 200));
    EXPECT_EQ(a.form.calls.size(), 2u);
    EXPECT_EQ(strip.Width(), 320);
    a.form.calls.clear();
    a.page.SetHeight(1000);
    ASSERT_TRUE(a.box.VertScrollBarShown());
    EXPECT_TRUE(a.form.calls.empty()) << "the scroll bar's coming is no resize";
    EXPECT_EQ(strip.Width(), 320 - a.BarWidth());
    a.box.SetBounds(QRect(0, 0, 320, 200));
    EXPECT_TRUE(a.form.calls.empty()) << "the same size again";
}

TEST(ScrollBox, DoubleClicksGoToTheAreaOrThePage) {
    Area a;
    a.box.Widget()->show();
    auto dbl = [](QWidget* w, QPoint p) {
        QMouseEvent e(QEvent::MouseButtonDblClick, p, w->mapToGlobal(p), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    };
    dbl(a.box.ClientWidget(), QPoint(250, 150));
    dbl(a.page.Widget(), QPoint(10, 10));
    EXPECT_EQ(a.form.calls,
              (std::vector<std::string>{"resize", "dblclick ScrollBox1", "dblclick PaintBox1"}));
}

#include "scroll_box_test.moc"
