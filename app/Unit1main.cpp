#include "app/Unit1main.h"

#include "app/FormDescription.h"
#include "app/PageGeometry.h"
#include "app/Unit1satrye.h"
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

TOrlenth::TOrlenth(TComponent* owner) : TCustomForm(owner) {
    ReadFormDescription(*this);
    // Not stored in the description: the keys of the reading area came after it.
    ScrollBox1->BindEvent("OnKeyDown", this, FindHandler(*this, "ScrollBox1KeyDown"));
    // Screen readers read the page as it is drawn: the memo's display lines, one below the
    // other on the pitch.
    PaintBox1->SetTextSource(
        [this] {
            TShownText shown;
            // Counting first: the memo's first count moves its text into the wrap engine,
            // and a reference taken before would see what was left behind.
            const int count = Memo1->FinalLineCount();
            const QByteArray gbk = Memo1->Text();
            shown.lineStarts.reserve(static_cast<std::size_t>(count));
            for (int i = 0; i < count; ++i) {
                const std::uint32_t from = Memo1->LineStart(i);
                const std::uint32_t to = i + 1 < count ? Memo1->LineStart(i + 1)
                                                       : static_cast<std::uint32_t>(gbk.size());
                shown.lineStarts.push_back(static_cast<int>(shown.text.size()));
                shown.text +=
                    DisplayTextToUnicode(std::string_view(gbk.constData() + from, to - from));
            }
            return shown;
        },
        [this](int line, std::int64_t from) {
            // The text's cell, where the paint handler draws it; the rule above it is not
            // the line's. Rows far from `from` are clamped, as far as keeps the order.
            const int pitch = LinePitch();
            const int cell = std::min(pitch, QFontMetrics(PaintBox1->Font()->ToQFont()).height());
            const std::int64_t far = std::numeric_limits<int>::max() / 2;
            const auto top =
                std::clamp<std::int64_t>(std::int64_t{line} * pitch + kTextInset - from, -far, far);
            return QRect(kTextInset, static_cast<int>(top), std::max(0, PaintBox1->Width() - 8),
                         cell);
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
    });
    // Without a mouse the Tab key goes from the categories to the titles, the page, the
    // left bar's buttons, the speed slider while it shows and the right bar's buttons, in
    // the order they stand. A customized bar keeps its buttons at that place, in their new
    // order. Gaps take no focus and have no place in the chain.
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
    Fire("OnCreate", Q_ARG(orlenth::TComponent*, this));
}

TOrlenth::~TOrlenth() = default;

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

TWJKStringList* TOrlenth::Container(int category) const {
    switch (category) {
    case 0:
        return WJKStringList0;
    case 1:
        return WJKStringList1;
    case 2:
        return WJKStringList2;
    case 3:
        return WJKStringList3;
    case 4:
        return WJKStringList4;
    default:
        return nullptr;
    }
}

QByteArrayList TOrlenth::CatalogueRows(int category) const {
    QByteArrayList rows;
    const TLineList& catalogue = Container(category)->GetArrayItem(0)->GetList();
    rows.reserve(catalogue.Count());
    for (int i = 0; i < catalogue.Count(); ++i) {
        const std::string_view line = catalogue[i];
        rows.append(QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    }
    return rows;
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
    platform::FolderTarget target =
        platform::LocateFolderArgument(TApplication::Instance().Argument(1));
    folder_ = std::move(target.folder);
    namedFile_ = std::move(target.file);
    const bool folderTab = !folder_.empty();
    if (folderTab) {
        const std::string name = platform::FolderTabName(folder_, platform::kNativePathStyle);
        TabSet1->Tabs()->Add(UnicodeToDisplayBytes(platform::DisplayName(name)));
        startFile_ = namedFile_;
        TabSet1->SetTabIndex(TabSet1->Tabs()->Count() - 1);
        startFile_.clear();
    } else {
        ListBox1->Items()->SetStrings(CatalogueRows(0));
    }
    // 4–7. What the tab change opened is not read a second time: the page is laid out
    // again at the reading area's width instead.
    SetCaption(ApplicationTitle());
    if (!folderTab) ListBox1->SetItemIndex(0);
    ScrollBox1Resize(nullptr);
    if (folderTab)
        PaintBox1Paint(nullptr);
    else
        ListBox1Click(nullptr);
}

// ---- categories and articles

void TOrlenth::ListFolder() {
    folderNames_ = platform::ListTextEntries(folder_);
    // The file the command line names is a row whatever its name: "Open with" passes any
    // text file, *.txt or not.
    if (!namedFile_.empty() &&
        std::find(folderNames_.begin(), folderNames_.end(), namedFile_) == folderNames_.end() &&
        platform::EntryExists(folder_ + namedFile_)) {
        folderNames_.push_back(namedFile_);
        platform::SortForReading(folderNames_);
    }
    QByteArrayList rows;
    rows.reserve(static_cast<qsizetype>(folderNames_.size()));
    for (const std::string& name : folderNames_)
        rows.append(UnicodeToDisplayBytes(platform::DisplayName(name)));
    ListBox1->Items()->SetStrings(rows);
}

void TOrlenth::OpenFolderRow(int row) {
    // No row (an empty list) opens nothing.
    if (row < 0 || row >= static_cast<int>(folderNames_.size())) return;
    const std::string path = folder_ + folderNames_[static_cast<std::size_t>(row)];
    switch (platform::KindOf(path)) {
    case platform::EntryKind::Directory:
    case platform::EntryKind::Special:
        return;
    case platform::EntryKind::Missing:
        // Gone since listed, a dangling link, a link loop: what open() would say too, but
        // without opening whatever may have appeared there meanwhile.
        throw EFOpenError::forFile(path);
    case platform::EntryKind::Other:
        break;
    }
    std::optional<platform::TextFile> file = platform::TextFile::Open(path);
    if (!file) return;
    if (file->Size() > text::kMemoCapacity) throw EOutOfResources(formatMessage(Msg::MemoCapacity));
    // The text on show goes before the next one is read, so that two big novels are
    // never held at once. The page shows the start while the rest is read.
    Memo1->SetText(QByteArray());
    Memo1->SetText(std::move(*file).FeedForDisplay(text::kMemoCapacity));
}

int TOrlenth::FirstFolderRow() const {
    if (startFile_.empty()) return 0;
    const auto it = std::find(folderNames_.begin(), folderNames_.end(), startFile_);
    return it == folderNames_.end() ? 0 : static_cast<int>(it - folderNames_.begin());
}

void TOrlenth::TabSet1Change(TComponent*, int newTab, bool&) {
    if (newTab >= 0 && newTab <= 4) {
        ListBox1->Items()->SetStrings(CatalogueRows(newTab));
        ListBox1->SetItemIndex(0);
        // Another category's first article is read from its top, as a clicked row is.
        ScrollBox1->SetVertPosition(0);
        Memo1->SetText(
            bytesOf(Container(newTab)->GetArrayItem(ListBox1->ItemIndex() + 1)->GetList().Text()));
    } else if (newTab == 5) {
        ListFolder();
        ListBox1->SetItemIndex(FirstFolderRow());
        ScrollBox1->SetVertPosition(0);
        if (ListBox1->Count() > 0) {
            try {
                OpenFolderRow(ListBox1->ItemIndex());
            } catch (const std::exception& e) {
                // Reported here and not passed on, so that the change still happens: tab,
                // list and page must agree after the box, whoever changed the tab.
                TApplication::Instance().ShowException(e);
            }
        } else {
            // A folder without texts, or gone since, has no article to show: the page is
            // blank, one empty line as it starts out, not the tab before's article under
            // an empty list.
            Memo1->SetText(QByteArrayLiteral("\r\n"));
        }
    }
    PaintBox1Paint(nullptr);
}

void TOrlenth::ListBox1Click(TComponent*) {
    ScrollBox1->SetVertPosition(0);
    const int c = TabSet1->TabIndex();
    if (c >= 0 && c <= 4)
        Memo1->SetText(
            bytesOf(Container(c)->GetArrayItem(ListBox1->ItemIndex() + 1)->GetList().Text()));
    else if (c == 5)
        OpenFolderRow(ListBox1->ItemIndex());
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
    Memo1->SetWidth(page.wrapWidth);
    RestoreTopLine(top);
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
        const int ruleEnd = PaintBox1->Width() - 8;
        for (int i = lines.first; i <= lines.last; ++i) {
            const std::int64_t y = std::int64_t{i} * pitch;
            canvas->TextOut(kTextInset, canvas->Row(y + kTextInset), Memo1->Line(i));
            canvas->MoveTo(kTextInset, canvas->Row(y - kRuleAbove));
            canvas->LineTo(ruleEnd, canvas->Row(y - kRuleAbove));
        }
    }
    SetPageHeight();
}

} // namespace orlenth
