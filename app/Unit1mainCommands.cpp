// The main window's appearance commands, the About window and the exit command.

#include "app/Unit1main.h"
#include "app/Unitabout.h"

#include "framework/ui/Actions.h"
#include "framework/ui/CommonDialogs.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/ToolBar.h"

namespace orlenth {

void TOrlenth::changeFntExecute(TComponent*) {
    FontDialog1->Font()->Assign(PaintBox1->Font());
    if (!FontDialog1->Execute()) return;
    const TopAnchor top = NoteTopLine();
    // The engine first, so that the repaint the page's change asks for wraps anew.
    Memo1->Font()->Assign(FontDialog1->Font());
    PaintBox1->Font()->Assign(FontDialog1->Font());
    RestoreTopLine(top);
    PaintBox1->Invalidate();
}

void TOrlenth::changBJcolorExecute(TComponent*) {
    ColorDialog1->SetColor(PaintBox1->Color());
    if (!ColorDialog1->Execute()) return;
    PaintBox1->SetColor(ColorDialog1->Color());
    PaintBox1->Invalidate();
}

void TOrlenth::chageBKColorExecute(TComponent*) {
    ColorDialog1->SetColor(PaintBox1->Canvas()->Pen()->Color());
    if (!ColorDialog1->Execute()) return;
    PaintBox1->Canvas()->Pen()->SetColor(ColorDialog1->Color());
    PaintBox1->Invalidate();
    PaintBox1Paint(nullptr);
}

void TOrlenth::chageBYseExecute(TComponent*) {
    ColorDialog1->SetColor(ScrollBox1->Color());
    if (!ColorDialog1->Execute()) return;
    ScrollBox1->SetColor(ColorDialog1->Color());
}

void TOrlenth::visBKExecute(TComponent*) {
    visBK->SetChecked(!visBK->Checked());
    PaintBox1->Invalidate();
    PaintBox1Paint(nullptr);
}

void TOrlenth::BieJieExecute(TComponent*) {
    BieJie->SetChecked(!BieJie->Checked());
    ScrollBox1Resize(nullptr);
}

void TOrlenth::ycList1Execute(TComponent*) {
    ycList1->SetChecked(!ycList1->Checked());
    ToolButton4->SetDown(ycList1->Checked());
    Splitter1->SetVisible(!ToolButton4->Down());
    Panel1->SetVisible(Splitter1->Visible());
}

void TOrlenth::nightExecute(TComponent*) {
    // The set showing goes back into waiting as the controls have it now, colour commands
    // included, and the other takes its place.
    const TPageColors showing{PaintBox1->Color(), PaintBox1->Canvas()->Pen()->Color(),
                              ScrollBox1->Color(), PaintBox1->Font()->Color()};
    const TPageColors next = hiddenColors_;
    hiddenColors_ = showing;
    night->SetChecked(!night->Checked());
    Memo1->Font()->SetColor(next.text);
    PaintBox1->Font()->SetColor(next.text);
    PaintBox1->SetColor(next.page);
    PaintBox1->Canvas()->Pen()->SetColor(next.frame);
    ScrollBox1->SetColor(next.edge);
    PaintBox1->Invalidate();
    PaintBox1Paint(nullptr);
}

void TOrlenth::AboutExecute(TComponent*) {
    TaboutKestrow about(this);
    about.ShowModal();
}

void TOrlenth::custBarExecute(TComponent*) {
    ToolBar1->Customize();
}

void TOrlenth::N15Click(TComponent*) {
    Close();
}

} // namespace orlenth
