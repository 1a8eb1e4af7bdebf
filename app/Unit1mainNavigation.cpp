// The main window's navigation: stepping through the articles and across categories,
// paging the reading area, and auto-scroll.

#include "app/Unit1main.h"

#include "app/Paging.h"
#include "app/Stepping.h"

#include "framework/ui/Actions.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/Timer.h"
#include "framework/ui/TrackBar.h"

namespace orlenth {

namespace {

PagingView pagingView(TOrlenth& form) {
    return {form.ScrollBox1->VertPosition(), form.ScrollBox1->ViewLength(),
            form.ScrollBox1->VertRange(), form.PageFontPoints(), form.LinePitch()};
}

} // namespace

void TOrlenth::StepArticle(char key) {
    if (key != 'q' && key != 'h') return;
    const TitleSelection at{ListBox1->ItemIndex(), ListBox1->Count(), TabSet1->TabIndex(),
                            TabSet1->Tabs()->Count()};
    const StepMove move = key == 'q' ? StepForward(at) : StepBack(at);
    switch (move.kind) {
    case StepMove::Kind::None:
        break;
    case StepMove::Kind::Row:
        ListBox1->SetItemIndex(move.index);
        ListBox1Click(nullptr);
        break;
    case StepMove::Kind::Tab:
        TabSet1->SetTabIndex(move.index);
        break;
    case StepMove::Kind::TabAtLast:
        // The tab change has shown the first article; the list it filled gives the last.
        TabSet1->SetTabIndex(move.index);
        ListBox1->SetItemIndex(ListBox1->Count() - 1);
        ListBox1Click(nullptr);
        break;
    }
}

void TOrlenth::ToolButton5Click(TComponent*) {
    StepArticle('q');
}

void TOrlenth::ToolButton6Click(TComponent*) {
    StepArticle('h');
}

void TOrlenth::N8Click(TComponent*) {
    ScrollBox1->SetVertPosition(PageDown(pagingView(*this)));
}

void TOrlenth::N7Click(TComponent*) {
    ScrollBox1->SetVertPosition(PageUp(pagingView(*this)));
}

void TOrlenth::ToolButton7Click(TComponent*) {
    Timer1->SetEnabled(!Timer1->Enabled());
    const bool running = Timer1->Enabled();
    gunp->SetChecked(running);
    TrackBar1->SetVisible(running);
    if (running) TrackBar1->SetPosition(Timer1->Interval());
}

void TOrlenth::Timer1Timer(TComponent*) {
    const std::int64_t pos = ScrollBox1->VertPosition();
    if (pos + ScrollBox1->ViewLength() < ScrollBox1->VertRange())
        // Ticks come faster than the screen shows them; painting waits for the frame.
        ScrollBox1->SetVertPosition(pos + 2, TScrollBox::kNextFrame);
}

void TOrlenth::TrackBar1Change(TComponent*) {
    Timer1->SetInterval(TrackBar1->Position());
}

} // namespace orlenth
