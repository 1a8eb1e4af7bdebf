#include "app/Unit1main.h"

#include "app/FormDescription.h"
#include "app/PageGeometry.h"
#include "app/ProgramSettings.h"
#include "app/ReadingState.h"
#include "app/Unit1satrye.h"
#include "app/VerticalGeometry.h"
#include "app/platform/DisplayName.h"
#include "app/platform/DisplayText.h"
#include "app/platform/FileEntry.h"
#include "app/platform/FolderArgument.h"
#include "app/platform/FolderListing.h"
#include "app/platform/FolderPath.h"
#include "framework/Errors.h"
#include "framework/Events.h"
#include "framework/text/TextEncoding.h"
#include "framework/text/WrapEngine.h"
#include "framework/ui/Application.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/ToolBar.h"
#include "library/WJKStringList.h"
#include "library/WJKStringListItem.h"

#include <QFile>
#include <QFontMetrics>

#include <algorithm>
#include <limits>
#include <vector>

namespace orlenth {

namespace {

QByteArray bytesOf(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

TOrlenth::TOrlenth(TComponent* owner) : TCustomForm(owner), state_({}) {
    ReadFormDescription(*this);
    state_ = TReadingState(
        {WJKStringList0, WJKStringList1, WJKStringList2, WJKStringList3, WJKStringList4});
    // Not stored in the description: the keys of the reading area came after it.
    ScrollBox1->BindEvent("OnKeyDown", this, FindHandler(*this, "ScrollBox1KeyDown"));
    // Screen readers read the page as it is drawn: the memo's display lines, one below the
    // other on the pitch.
    PaintBox1->SetTextSource(
        Memo1->ShownLines(), [this] { return vertical->Checked(); },
        [this](int line, std::int64_t from) {
            if (vertical->Checked()) return ColumnRect(line);
            // The text's cell, where the paint handler draws it; the rule above it is not
            // the line's. Rows far from `from` are clamped, as far as keeps the order.
            const int pitch = LinePitch();
            const int cell = std::min(pitch, QFontMetrics(PaintBox1->Font()->ToQFont()).height());
            const std::int64_t far = std::numeric_limits<int>::max() / 2;
            const auto top =
                std::clamp<std::int64_t>(std::int64_t{line} * pitch + kTextInset - from, -far, far);
            return QRect(kTextInset, static_cast<int>(top),
                         std::max(0, PaintBox1->Width() - kPageEndInset), cell);
        });
    QObject::connect(Memo1, &TMemo::TextChanged, PaintBox1, [this] {
        // The page is called after the title it shows, which is selected before it opens.
        const int row = ListBox1->ItemIndex();
        PaintBox1->Widget()->setAccessibleName(
            row >= 0 ? DisplayTextToUnicode(ListBox1->Items()->Get(row)) : QString());
        PaintBox1->ShownTextChanged();
    });
    // A long text is wrapped in the background: the page grows, and shows new lines that
    // fall into view, as they come.
    QObject::connect(Memo1, &TMemo::LinesAdded, PaintBox1, [this] {
        SetPageHeight();
        PaintBox1->Invalidate();
        PaintBox1->ShownLinesAdded();
    });
    // Without a mouse the Tab key goes from the categories to the titles, the page, the
    // left bar's buttons, the speed slider while it shows and the right bar's buttons, in
    // the order they stand. A customized bar keeps its buttons at that place, in their new
    // order. Gaps take no focus and have no place in the chain.
    // The buttons that came after the design wait in the customization until the reader
    // puts them on the bar: the bar looks as designed.
    std::vector<TControl*> bar = ToolBar1->Stored();
    std::erase_if(bar, [this](const TControl* c) {
        return c == ToolButton14 || c == ToolButton15 || c == ToolButton16 || c == ToolButton20 ||
               c == ToolButton21 || c == ToolButton22;
    });
    ToolBar1->SetButtons(bar);
    ToolBar1->SetDesign(bar);
    std::vector<QWidget*> chain{TabSet1->Widget(), ListBox1->Widget(), ScrollBox1->ClientWidget()};
    for (TControl* c : ToolBar1->Ordered()) chain.push_back(c->Widget());
    chain.push_back(TrackBar1->Widget());
    for (TControl* c : ToolBar2->Ordered()) chain.push_back(c->Widget());
    std::erase_if(chain, [](const QWidget* w) { return w->focusPolicy() == Qt::NoFocus; });
    for (std::size_t i = 1; i < chain.size(); ++i) QWidget::setTabOrder(chain[i - 1], chain[i]);
    // The window itself gets the keys no control takes without being a stop of the Tab key
    // (nothing on it would show where the keys went), and a click on a part that takes no
    // focus, such as a tool button, a tab or the banner, leaves the focus where it was: on
    // the page, Page Down still pages after 下翻页 or 前进.
    Widget()->setFocusPolicy(Qt::NoFocus);
    // One millisecond of the timer's interval, the stored step, neither moves the thumb
    // nor the speed visibly: an arrow key moves the slider a third of a tick mark.
    TrackBar1->SetLineSize(TrackBar1->Frequency() / 3);
    TrackBar1->Widget()->setAccessibleName(QString::fromUtf8("滚屏速度"));
    // The strip and the list say what they choose; their items say which one is chosen.
    TabSet1->Widget()->setAccessibleName(QString::fromUtf8("分类"));
    ListBox1->Widget()->setAccessibleName(QString::fromUtf8("标题"));
    SetUpChapters();
    SetUpLasting();
    SetUpEncodingMenu();
    SetUpFind();
    SetUpScriptMenu();
    SetUpSpeech();
    Fire("OnCreate", Q_ARG(orlenth::TComponent*, this));
}

TOrlenth::~TOrlenth() {
    // However the program ends (the loop never started, say, when a signal came during the
    // splash), what the reader keeps is written before the controls go.
    try {
        SaveSettings();
    } catch (const std::exception&) {
        // The settings file says itself when it could not be written; nothing else can
        // fail here that the reader could act on at the end.
    }
}

QByteArray TOrlenth::ApplicationTitle() {
    return bytesOf(UnicodeToGbk(QStringLiteral("Orlenth扩展文集--001 2004.11")));
}

int TOrlenth::PageFontPoints() {
    return PaintBox1->Font()->SizeInPoints();
}

int TOrlenth::LinePitch() {
    // The cell of the font the page draws with, as the canvas measures it.
    const QFontMetrics metrics(PaintBox1->Font()->PageFont());
    return LinePitchFor(PageFontPoints(), PaintBox1->Tag(), metrics.ascent() + metrics.descent());
}

QByteArray TOrlenth::ArticleText() const {
    return Memo1->Text();
}

// ---- start-up

void TOrlenth::FormCreate(TComponent*) {
    // The title from the start (step 4 sets it again): a start-up cut short by a failure
    // still shows it, and the window is not visible before the end anyway.
    SetCaption(ApplicationTitle());
    // 1. The splash window, modal, destroyed as soon as it has closed.
    {
        TstarYe splash;
        splash.ShowModal();
    }
    // 2–3. The folder category when the first argument points into an existing folder.
    // Worked out once, so that the tab lists the same folder for as long as the program
    // runs, even once the folder is gone. Selecting its tab opens its first row (or the
    // row the argument names) already, failures reported; without rows the page is empty.
    // Without an argument the last place comes back: its folder, when it still exists,
    // and the category, entry and line read (nothing without settings).
    platform::FolderTarget target =
        platform::LocateFolderArgument(TApplication::Instance().Argument(1));
    const bool fromArgument = !target.folder.empty();
    int lastCategory = 0, lastEntry = 0;
    std::uint32_t lastOffset = 0;
    platform::FolderTarget remembered = RememberedFolder(lastCategory, lastEntry, lastOffset);
    if (!fromArgument) target = std::move(remembered);
    state_.SetFolder(std::move(target.folder), std::move(target.file));
    const bool folderTab = state_.HasFolder() && (fromArgument || lastCategory == kFolderCategory);
    if (state_.HasFolder()) {
        const std::string name =
            platform::FolderTabName(state_.Folder(), platform::kNativePathStyle);
        TabSet1->Tabs()->Add(UnicodeToDisplayBytes(platform::DisplayName(name)));
    }
    const int category = IsBuiltInCategory(lastCategory) ? lastCategory : 0;
    if (folderTab) {
        startFile_ = state_.NamedFile();
        TabSet1->SetTabIndex(kFolderCategory);
        startFile_.clear();
    } else if (category != 0) {
        TabSet1->SetTabIndex(category);
    } else {
        ListBox1->Items()->SetStrings(state_.Titles(0));
    }
    // 4–7. What the tab change opened is not read a second time: the page is laid out
    // again at the reading area's width instead.
    SetCaption(ApplicationTitle());
    if (!folderTab) ListBox1->SetItemIndex(std::min(lastEntry, std::max(ListBox1->Count() - 1, 0)));
    ScrollBox1Resize(nullptr);
    if (folderTab) {
        PaintBox1Paint(nullptr);
    } else {
        ListBox1Click(nullptr);
        if (lastOffset > 0 && ListBox1->ItemIndex() == lastEntry) GoToPlace(lastOffset);
    }
    if (fromArgument)
        Recent().Add(QFile::decodeName(QByteArray::fromStdString(
            platform::CanonicalPath(TApplication::Instance().Argument(1)))));
}

// ---- categories and articles

void TOrlenth::ShowEntry(int category, int entry, const std::optional<KnownVerdict>& known) {
    TReadingState::TOpened opened = state_.Open(category, entry);
    if (opened.kind != TReadingState::TOpened::Kind::Nothing) pendingOffset_.reset();
    switch (opened.kind) {
    case TReadingState::TOpened::Kind::Nothing:
        return;
    case TReadingState::TOpened::Kind::Article: {
        encodingReport_.reset();
        const auto size = static_cast<std::size_t>(opened.article.size());
        Memo1->SetText(InChosenScript({std::move(opened.article), size, {}}));
        return;
    }
    case TReadingState::TOpened::Kind::File: {
        const QString path =
            QFile::decodeName(QByteArray::fromStdString(opened.identity.canonicalPath));
        // The text on show goes before the next one is read, so that two big novels are
        // never held at once. The page shows the start while the rest is read.
        Memo1->SetText(QByteArray());
        encodingReport_ = std::make_shared<platform::EncodingReport>();
        // A verdict is only as good as the bytes it was made on: another size or time,
        // and the file is detected again.
        const std::optional<platform::FileEncoding> verdict =
            known && known->file == opened.identity ? std::optional(known->encoding) : std::nullopt;
        Memo1->SetText(
            InChosenScript(std::move(*opened.file)
                               .FeedForDisplay(text::kMemoCapacity, platform::TextFile::kPieceBytes,
                                               EncodingChoiceFor(path), encodingReport_, verdict)));
        // Any route to a file shows the line it was left at.
        if (settings_)
            if (const qint64 offset =
                    Places().OffsetFor(path, static_cast<qint64>(opened.identity.size)))
                GoToPlace(static_cast<std::uint32_t>(offset));
        return;
    }
    }
}

void TOrlenth::TabSet1Change(TComponent*, int newTab, bool&) {
    NoteLeaving();
    if (IsBuiltInCategory(newTab)) {
        ListBox1->Items()->SetStrings(state_.Titles(newTab));
        ListBox1->SetItemIndex(0);
        // Another category's first article is read from its top, as a clicked row is.
        ScrollBox1->SetVertPosition(0);
        ShowEntry(newTab, ListBox1->ItemIndex());
    } else if (newTab == kFolderCategory) {
        ListBox1->Items()->SetStrings(state_.Titles(newTab));
        // The row the folder tab opens on: the one the command line names at start-up,
        // otherwise the first.
        ListBox1->SetItemIndex(std::max(state_.FolderRow(startFile_), 0));
        ScrollBox1->SetVertPosition(0);
        if (ListBox1->Count() > 0) {
            try {
                ShowEntry(newTab, ListBox1->ItemIndex());
            } catch (const std::exception& e) {
                // Reported here and not passed on, so that the change still happens: tab,
                // list and page must agree after the box, whoever changed the tab.
                TApplication::Instance().ShowException(e);
            }
        } else {
            // A folder without texts, or gone since, has no article to show: the page is
            // blank, one empty line as it starts out, not the tab before's article under
            // an empty list.
            state_.ClearEntry();
            Memo1->SetText(QByteArrayLiteral("\r\n"));
        }
    }
    PaintBox1Paint(nullptr);
}

void TOrlenth::ListBox1Click(TComponent*) {
    NoteLeaving();
    ScrollBox1->SetVertPosition(0);
    ShowEntry(TabSet1->TabIndex(), ListBox1->ItemIndex());
    PaintBox1Paint(nullptr);
}

// ---- the ruled page

void TOrlenth::ScrollBox1KeyDown(TComponent*, int& key) {
    if (key == Qt::Key_PageDown || key == Qt::Key_Space) {
        N8Click(nullptr);
        key = 0;
    } else if (key == Qt::Key_PageUp) {
        N7Click(nullptr);
        key = 0;
    }
}

void TOrlenth::ScrollBox1Resize(TComponent*) {
    const PagePlacement page = PlacePage(ScrollBox1->Width(), BieJie->Checked());
    const TopAnchor top = NoteTopLine();
    PaintBox1->SetWidth(page.width);
    PaintBox1->SetLeft(page.left);
    // Columns wrap at the page's height; the margins apply to it as they do to the width.
    const bool columns = vertical->Checked();
    const int wrap =
        columns ? PlaceColumns(ScrollBox1->Height(), BieJie->Checked()).wrapHeight : page.wrapWidth;
    const bool rewrapped = wrap != Memo1->Width();
    Memo1->SetWidth(wrap);
    RestoreTopLine(top);
    // The page tells screen readers of lines wrapped again when its width changes, which
    // columns' do not follow.
    if (rewrapped && columns) PaintBox1->ShownLinesChanged();
}

TOrlenth::TopAnchor TOrlenth::NoteTopLine() {
    // Following the end, the end is what stays in view, not a line; nothing waits for
    // wrapping to reach it.
    if (ScrollBox1->FollowingEnd()) return {};
    const std::int64_t position = ScrollBox1->VertPosition();
    if (position <= 0) return {};
    const int count = Memo1->LineCount();
    if (count == 0) return {};
    const TopLine top = TopLineAt(position, LinePitch(), count);
    return {true, Memo1->LineStart(top.line), top.within};
}

void TOrlenth::RestoreTopLine(const TopAnchor& anchor) {
    if (!anchor.set) return;
    // Finding the line may wait for wrapping to reach it; the page is as tall as the
    // lines found by then.
    const int line = Memo1->LineAt(anchor.offset);
    SetPageHeight();
    ScrollBox1->SetVertPosition(PositionOfTopLine({line, anchor.within}, LinePitch()));
}

void TOrlenth::SetPageHeight() {
    PaintBox1->SetHeight64(std::int64_t{Memo1->LineCount()} * LinePitch());
}

void TOrlenth::PaintBox1Paint(TComponent*) {
    if (vertical->Checked()) {
        PaintColumns();
        SetPageHeight();
        return;
    }
    // The page's rows are 64-bit; the canvas takes them moved up by its row offset
    // (TCanvas::Row), which is 0 for any page an int can hold.
    TCanvas* canvas = PaintBox1->Canvas();
    canvas->Pen()->SetStyle(visBK->Checked() ? TPen::psSolid : TPen::psClear);
    canvas->Rectangle(0, canvas->Row(0), PaintBox1->Width(), canvas->Row(PaintBox1->Height64()));
    canvas->Pen()->SetStyle(TPen::psDot);
    const int pitch = LinePitch();
    const int count = Memo1->LineCount();
    // Only the lines that meet the part being painted are drawn: the result is the same
    // as drawing all of them and letting the clip drop the rest, at the cost of a screen.
    const QRect clip = canvas->ClipRect();
    if (!clip.isEmpty()) {
        // The cell of the font the canvas draws with, from the metrics it keeps.
        const LineRange lines = VisibleLines(canvas->RowOffset() + clip.top(), clip.height(),
                                             canvas->TextHeight(QByteArray()), pitch, count);
        const int ruleEnd = PaintBox1->Width() - kPageEndInset;
        for (int i = lines.first; i <= lines.last; ++i) {
            const std::int64_t y = std::int64_t{i} * pitch;
            const QByteArray line = Memo1->Line(i);
            const int row = canvas->Row(y + kTextInset);
            if (!PaintFoundLine(*canvas, i, row, line) && !PaintSpokenLine(*canvas, i, row, line))
                canvas->TextOut(kTextInset, row, line);
            canvas->MoveTo(kTextInset, canvas->Row(y - kRuleAbove));
            canvas->LineTo(ruleEnd, canvas->Row(y - kRuleAbove));
        }
    }
    SetPageHeight();
}

} // namespace orlenth
