// The main window's navigation: stepping through the articles and across categories,
// paging the reading area, and auto-scroll.

#include "app/Unit1main.h"

#include "framework/ui/Actions.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/Timer.h"
#include "framework/ui/TrackBar.h"

namespace orlenth {

void TOrlenth::StepArticle(char key) {
    const int r = ListBox1->ItemIndex(), c = ListBox1->Count();
    const int t = TabSet1->TabIndex(), tabs = TabSet1->Tabs()->Count();
    if (key == 'q') {
        if (r >= 0 && r < c - 1) {
            ListBox1->SetItemIndex(r + 1);
            ListBox1Click(nullptr);
        } else if (r < c - 1) {
            // No row selected in a non-empty list: nothing to step from.
        } else if (t < tabs - 1) {
            // The tab change shows the next category's first article.
            TabSet1->SetTabIndex(t + 1);
        }
    } else if (key == 'h') {
        if (r > 0 && r <= c - 1) {
            ListBox1->SetItemIndex(r - 1);
            ListBox1Click(nullptr);
        } else if (t > 0 && t <= tabs - 1) {
            TabSet1->SetTabIndex(t - 1);
            ListBox1->SetItemIndex(ListBox1->Count() - 1);
            ListBox1Click(nullptr);
        }
    }
}

void TOrlenth::ToolButton5Click(TComponent*) {
    StepArticle('q');
}

void TOrlenth::ToolButton6Click(TComponent*) {
    StepArticle('h');
}

void TOrlenth::N8Click(TComponent*) {
    const int pos = ScrollBox1->VertPosition(), h = ScrollBox1->ClientHeight();
    const int range = ScrollBox1->VertRange(), tag = static_cast<int>(PaintBox1->Tag());
    const int overlap = 2 * PageFontPoints() + tag;
    if (pos + h - tag >= range - h)
        ScrollBox1->SetVertPosition(range - h);
    else
        ScrollBox1->SetVertPosition(pos + h - overlap);
}

void TOrlenth::N7Click(TComponent*) {
    const int pos = ScrollBox1->VertPosition(), h = ScrollBox1->ClientHeight();
    const int overlap = 2 * PageFontPoints() + static_cast<int>(PaintBox1->Tag());
    if (pos - h <= 0)
        ScrollBox1->SetVertPosition(0);
    else
        ScrollBox1->SetVertPosition(pos - h + overlap);
}

void TOrlenth::ToolButton7Click(TComponent*) {
    Timer1->SetEnabled(!Timer1->Enabled());
    const bool running = Timer1->Enabled();
    gunp->SetChecked(running);
    TrackBar1->SetVisible(running);
    if (running) TrackBar1->SetPosition(Timer1->Interval());
}

void TOrlenth::Timer1Timer(TComponent*) {
    const int pos = ScrollBox1->VertPosition();
    if (pos + ScrollBox1->ClientHeight() < ScrollBox1->VertRange())
        ScrollBox1->SetVertPosition(pos + 2);
}

void TOrlenth::TrackBar1Change(TComponent*) {
    Timer1->SetInterval(TrackBar1->Position());
}

} // namespace orlenth
