// The find bar and 查找全部 on the main window: the bar under the page, the search in
// budgeted steps on the window's thread, the count and the hit's number on worker threads,
// the hit highlighted on the page and scrolled into view.

#include "app/FindAllDialog.h"
#include "app/FindBar.h"
#include "app/SearchSession.h"
#include "app/SearchWorker.h"
#include "app/Unit1main.h"
#include "app/platform/DisplayName.h"
#include "app/platform/FileEntry.h"
#include "app/platform/FolderListing.h"
#include "framework/text/TextEncoding.h"
#include "framework/text/TextLoad.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/Colors.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"
#include "library/WJKStringListItem.h"

#include <QFile>
#include <QPainter>
#include <QVBoxLayout>

#include <chrono>
#include <thread>

namespace orlenth {

namespace {

// How many bytes of work one step of the window's thread does: a few milliseconds'
// work, so that typing and Esc are heard between steps.
constexpr std::size_t kStepBytes = std::size_t{4} << 20;
// While the text still arrives, a search waiting at its end looks again this often.
constexpr int kArrivingStepMs = 10;

using Direction = TSearchSession::Direction;
using Status = TSearchSession::Status;

} // namespace

struct TOrlenth::FindState {
    // What the workers' results are delivered to; it goes last, after the workers stopped.
    QObject receiver;
    std::unique_ptr<TPanel> panel;
    TFindBar* bar = nullptr;
    TSearchSession session;
    QTimer stepper;
    // The hit highlighted on the page, and whether it still waits to be scrolled to.
    std::optional<text::TSearchHit> mark;
    bool revealPending = false;
    // The background count of the text on show.
    std::size_t counted = 0;
    bool countDone = false;
    std::uint64_t countRun = 0, numberRun = 0;
    std::unique_ptr<TFindAllDialog> all;
    TSearchWorker counter, numberer;
};

void TOrlenth::FindStateDeleter::operator()(FindState* state) const {
    delete state;
}

TFindBar* TOrlenth::FindBar() {
    return find_->bar;
}

std::optional<text::TSearchHit> TOrlenth::FoundHit() const {
    return find_->mark;
}

TFindAllDialog* TOrlenth::FindAllWindow() {
    return find_->all.get();
}

void TOrlenth::SetUpFind() {
    find_.reset(new FindState);
    FindState& f = *find_;
    // Below the page, as tall as the bar wants; hidden until asked for.
    f.panel = std::make_unique<TPanel>(nullptr);
    f.panel->SetBevelOuter(TPanel::bvNone);
    f.panel->SetCaption(QByteArray());
    f.panel->SetParent(Panel2);
    f.panel->SetAlign(TControl::alBottom);
    f.bar = new TFindBar(f.panel->Widget());
    auto* layout = new QVBoxLayout(f.panel->Widget());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(f.bar);
    f.panel->SetHeight(f.bar->sizeHint().height());
    f.panel->SetVisible(false);
    f.stepper.setSingleShot(true);
    QObject::connect(&f.stepper, &QTimer::timeout, &f.receiver, [this] { FindStep(); });
    QObject::connect(f.bar, &TFindBar::Edited, &f.receiver,
                     [this](const QString& typed) { FindEdited(typed); });
    QObject::connect(f.bar, &TFindBar::NextAsked, &f.receiver, [this] { FindGo(true); });
    QObject::connect(f.bar, &TFindBar::PreviousAsked, &f.receiver, [this] { FindGo(false); });
    QObject::connect(f.bar, &TFindBar::CloseAsked, &f.receiver, [this] { CloseFindBar(); });
    QObject::connect(Memo1, &TMemo::TextChanged, &f.receiver, [this] { FindTextReplaced(); });
    QObject::connect(Memo1, &TMemo::LinesAdded, &f.receiver, [this] {
        if (find_->revealPending) RevealFoundHit();
    });
}

// ---- the bar

void TOrlenth::findExecute(TComponent*) {
    FindState& f = *find_;
    const bool opening = !f.panel->Visible();
    f.panel->SetVisible(true);
    f.bar->FocusField();
    if (opening) RestartFindCount();
}

void TOrlenth::findNextExecute(TComponent*) {
    FindGo(true);
}

void TOrlenth::findPreviousExecute(TComponent*) {
    FindGo(false);
}

void TOrlenth::FindEdited(const QString& typed) {
    FindState& f = *find_;
    f.stepper.stop();
    f.numberer.Stop();
    ++f.numberRun;
    f.session.SetPattern(typed);
    f.mark.reset();
    f.revealPending = false;
    RestartFindCount();
    PaintBox1->Invalidate();
}

void TOrlenth::FindGo(bool forward) {
    FindState& f = *find_;
    if (!f.panel->Visible()) {
        findExecute(nullptr);
        if (f.bar->Typed().isEmpty()) return;
    }
    if (f.session.Typed() != f.bar->Typed()) FindEdited(f.bar->Typed());
    if (f.session.Pattern().empty()) {
        f.bar->FocusField();
        return;
    }
    const Direction d = forward ? Direction::Next : Direction::Previous;
    // From the hit on show while it is in view, or while the page is still on its way to it
    // (wrapping has not reached it yet); once the reader has moved away, from the place read.
    if (f.mark && (f.revealPending || pendingOffset_ || FoundHitInView()))
        f.session.Step(d, PlaceRead());
    else
        f.session.Begin(d, PlaceRead());
    f.numberer.Stop();
    ++f.numberRun;
    FindStep();
}

void TOrlenth::FindStep() {
    FindState& f = *find_;
    const std::shared_ptr<const text::TextLoad> load = Memo1->Load();
    const bool loaded = load->loaded();
    const std::string_view text(load->bytes(), load->available());
    switch (f.session.Advance(text, loaded, kStepBytes)) {
    case Status::Searching:
        f.stepper.start(loaded ? 0 : kArrivingStepMs);
        break;
    case Status::Found:
        f.mark = f.session.Hit();
        f.revealPending = true;
        RevealFoundHit();
        if (!f.session.Ordinal()) StartFindNumbering();
        PaintBox1->Invalidate();
        break;
    case Status::NotFound:
        f.mark.reset();
        f.revealPending = false;
        PaintBox1->Invalidate();
        break;
    case Status::Idle:
        break;
    }
    UpdateFindResult();
}

void TOrlenth::FindTextReplaced() {
    FindState& f = *find_;
    // The search, the hit and its number were the old text's: they stop here, cleanly,
    // before the old text may go.
    f.stepper.stop();
    f.numberer.Stop();
    ++f.numberRun;
    f.session.Reset();
    f.mark.reset();
    f.revealPending = false;
    RestartFindCount();
}

void TOrlenth::CloseFindBar() {
    FindState& f = *find_;
    f.stepper.stop();
    f.counter.Stop();
    f.numberer.Stop();
    ++f.countRun;
    ++f.numberRun;
    f.session.Reset();
    f.mark.reset();
    f.revealPending = false;
    f.panel->SetVisible(false);
    ScrollBox1->ClientWidget()->setFocus(Qt::OtherFocusReason);
    PaintBox1->Invalidate();
}

void TOrlenth::RestartFindCount() {
    FindState& f = *find_;
    f.counter.Stop();
    const std::uint64_t run = ++f.countRun;
    f.counted = 0;
    f.countDone = false;
    if (!f.panel->Visible() || f.session.Pattern().empty()) {
        UpdateFindResult();
        return;
    }
    std::shared_ptr<const text::TextLoad> load = Memo1->Load();
    const text::TSearchPattern pattern = f.session.Pattern();
    QObject* receiver = &f.receiver;
    f.counter.Run([this, run, load, pattern, receiver](const std::atomic<bool>& cancel) {
        const auto post = [this, run, receiver](std::size_t hits, bool done) {
            QMetaObject::invokeMethod(
                receiver,
                [this, run, hits, done] {
                    FindState& s = *find_;
                    if (run != s.countRun) return;
                    s.counted = hits;
                    s.countDone = done;
                    if (done) s.session.SetTotal(hits);
                    UpdateFindResult();
                },
                Qt::QueuedConnection);
        };
        const std::optional<std::size_t> total =
            CountArriving(*load, pattern, cancel, [&](std::size_t hits) { post(hits, false); });
        if (total) post(*total, true);
    });
    UpdateFindResult();
}

void TOrlenth::StartFindNumbering() {
    FindState& f = *find_;
    const std::uint64_t run = ++f.numberRun;
    const text::TSearchHit hit = f.session.Hit();
    std::shared_ptr<const text::TextLoad> load = Memo1->Load();
    const text::TSearchPattern pattern = f.session.Pattern();
    QObject* receiver = &f.receiver;
    f.numberer.Run([this, run, hit, load, pattern, receiver](const std::atomic<bool>& cancel) {
        // The hits before this one may reach as far as the longest hit past its start.
        const std::size_t need = hit.offset + pattern.maxLength();
        while (load->available() < need && !load->loaded() && !cancel.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::optional<std::size_t> before = HitsBefore(
            std::string_view(load->bytes(), load->available()), hit.offset, pattern, cancel);
        if (!before) return;
        QMetaObject::invokeMethod(
            receiver,
            [this, run, hit, n = *before + 1] {
                FindState& s = *find_;
                if (run != s.numberRun) return;
                s.session.SetOrdinal(hit.offset, n);
                UpdateFindResult();
            },
            Qt::QueuedConnection);
    });
}

void TOrlenth::UpdateFindResult() {
    FindState& f = *find_;
    const QString total = f.countDone ? QString::fromUtf8("共 %1 处").arg(f.counted)
                                      : QString::fromUtf8("共 %1+ 处").arg(f.counted);
    QString text;
    if (f.session.Typed().isEmpty()) {
        text.clear();
    } else if (f.session.State() == Status::NotFound || (f.countDone && f.counted == 0)) {
        text = QString::fromUtf8("没有找到");
    } else if (f.session.State() == Status::Searching) {
        text = QString::fromUtf8("正在查找…  ") + total;
    } else if (f.session.State() == Status::Found && f.mark) {
        const std::optional<std::size_t> n = f.session.Ordinal();
        text = (n ? QString::fromUtf8("第 %1 处").arg(*n) : QString::fromUtf8("第 ? 处")) +
               QStringLiteral(" / ") + total;
        if (f.session.Wrapped())
            text += f.session.LastDirection() == Direction::Next
                        ? QString::fromUtf8("，已从头开始")
                        : QString::fromUtf8("，已从末尾开始");
    } else {
        text = total;
    }
    f.bar->SetResult(text);
}

// ---- the hit on the page

bool TOrlenth::FoundHitInView() {
    FindState& f = *find_;
    if (!f.mark) return false;
    const int count = Memo1->LineCount();
    if (count == 0) return false;
    // Not yet wrapped as far as the hit: it cannot be in view.
    if (!Memo1->Wrapped() && Memo1->LineStart(count - 1) <= f.mark->offset) return false;
    const int line = Memo1->LineAt(static_cast<std::uint32_t>(f.mark->offset));
    const std::int64_t pitch = LinePitch();
    const std::int64_t top = ScrollBox1->VertPosition();
    const std::int64_t y = std::int64_t{line} * pitch;
    return y + pitch > top && y < top + ScrollBox1->ViewLength();
}

void TOrlenth::RevealFoundHit() {
    FindState& f = *find_;
    if (!f.revealPending || !f.mark) return;
    const int count = Memo1->LineCount();
    if (count == 0) return;
    // Finding the line must not wait for wrapping: the reveal waits for more lines instead.
    if (!Memo1->Wrapped() && Memo1->LineStart(count - 1) <= f.mark->offset) return;
    f.revealPending = false;
    const int line = Memo1->LineAt(static_cast<std::uint32_t>(f.mark->offset));
    // One line of context above the hit.
    GoToPlace(line > 0 ? Memo1->LineStart(line - 1) : 0);
    PaintBox1->Invalidate();
}

bool TOrlenth::PaintFoundLine(TCanvas& canvas, int line, int row, const QByteArray& text,
                              const ColumnCell* column) {
    const std::optional<text::TSearchHit>& mark = find_ ? find_->mark : std::nullopt;
    if (!mark) return false;
    return PaintMarkedLine(canvas, line, row, text, mark->offset, mark->length, kSystemColor | 13,
                           kSystemColor | 14, column);
}

bool TOrlenth::PaintMarkedLine(TCanvas& canvas, int line, int row, const QByteArray& text,
                               std::uint64_t offset, std::uint64_t length, int back, int fore,
                               const ColumnCell* column) {
    if (length == 0 || !canvas.Painter()) return false;
    const auto size = static_cast<std::uint64_t>(text.size());
    const std::uint64_t start = Memo1->LineStart(line);
    const std::uint64_t hitEnd = offset + length;
    if (hitEnd <= start || offset >= start + size + 2) return false;
    // The part marked on this line: a run across a line break is marked on both lines.
    const auto from =
        static_cast<qsizetype>(std::min<std::uint64_t>(offset > start ? offset - start : 0, size));
    const auto to = static_cast<qsizetype>(std::min<std::uint64_t>(hitEnd - start, size));
    if (to <= from) return false;
    if (column) {
        // Down the column: the stretch the marked characters take as the column draws them.
        QPainter& painter = *canvas.Painter();
        const QPalette palette = PaintBox1->Widget()->palette();
        const double y1 = column->top + column->painter->length(text.left(from));
        const double y2 = column->top + column->painter->length(text.left(to));
        const QRectF marked(column->left, y1, column->width, y2 - y1);
        painter.fillRect(marked, ToQColor(back, palette));
        painter.setPen(ToQColor(canvas.Font()->Color(), palette));
        column->painter->paint(painter, text, column->left, column->top, column->width);
        painter.save();
        painter.setClipRect(marked, Qt::IntersectClip);
        painter.setPen(ToQColor(fore, palette));
        column->painter->paint(painter, text, column->left, column->top, column->width);
        painter.restore();
        return true;
    }
    const int x1 = kTextInset + canvas.TextWidth(text.left(from));
    const int x2 = kTextInset + canvas.TextWidth(text.left(to));
    const QRect marked(x1, row, x2 - x1, canvas.TextHeight(text));
    // The filled rectangle goes behind the characters; in it they take the selection's
    // text colour, so they read on any page colour.
    TBrush* brush = canvas.Brush();
    const int brushColor = brush->Color();
    const TBrush::TBrushStyle brushStyle = brush->Style();
    brush->SetColor(back);
    canvas.FillRect(marked);
    brush->SetStyle(TBrush::bsClear);
    canvas.TextOut(kTextInset, row, text);
    TFont* font = canvas.Font();
    const int fontColor = font->Color();
    QPainter* painter = canvas.Painter();
    painter->save();
    painter->setClipRect(marked, Qt::IntersectClip);
    font->SetColor(fore);
    canvas.TextOut(kTextInset, row, text);
    painter->restore();
    font->SetColor(fontColor);
    brush->SetColor(brushColor);
    brush->SetStyle(brushStyle);
    return true;
}

// ---- 查找全部

void TOrlenth::findAllExecute(TComponent*) {
    FindState& f = *find_;
    if (!f.all) {
        f.all = std::make_unique<TFindAllDialog>(
            Widget(),
            [this] {
                std::vector<TFindAllText> texts;
                const QByteArrayList tabs = TabSet1->Tabs()->Strings();
                const auto tabName = [&tabs](int c) {
                    return c < tabs.size() ? DisplayTextToUnicode(tabs[c]) : QString();
                };
                const TWJKStringList* lists[] = {WJKStringList0, WJKStringList1, WJKStringList2,
                                                 WJKStringList3, WJKStringList4};
                for (int c = 0; c < kBuiltInCategories; ++c) {
                    const QByteArrayList titles = state_.Titles(c);
                    for (int e = 0; e < titles.size(); ++e) {
                        TFindAllText t;
                        t.category = c;
                        t.entry = e;
                        t.categoryName = tabName(c);
                        t.title = DisplayTextToUnicode(titles[e]);
                        // A copy: one not yet unpacked is unpacked on the worker.
                        t.article = lists[c]->GetArrayItem(e + 1)->GetList();
                        texts.push_back(std::move(t));
                    }
                }
                if (state_.HasFolder()) {
                    // Listed afresh, apart from the title list's own rows.
                    std::vector<std::string> names = platform::ListTextEntries(state_.Folder());
                    for (std::size_t i = 0; i < names.size(); ++i) {
                        TFindAllText t;
                        t.category = kFolderCategory;
                        t.entry = static_cast<int>(i);
                        t.categoryName = tabName(kFolderCategory);
                        t.title = platform::DisplayName(names[i]);
                        t.path = state_.Folder() + names[i];
                        t.fileName = names[i];
                        t.encoding = EncodingChoiceFor(QFile::decodeName(
                            QByteArray::fromStdString(platform::CanonicalPath(t.path))));
                        texts.push_back(std::move(t));
                    }
                }
                return texts;
            },
            [this](const TFindAllText& t, const text::TSearchHit& hit, const QString& typed) {
                int entry = t.entry;
                if (t.category == kFolderCategory) {
                    if (TabSet1->TabIndex() != kFolderCategory)
                        TabSet1->SetTabIndex(kFolderCategory);
                    entry = state_.FolderRow(t.fileName);
                    if (entry < 0) return;
                }
                ShowFound(t.category, entry, hit.offset, typed);
            });
        f.all->Field()->setText(f.bar->Typed());
    }
    f.all->show();
    f.all->raise();
    f.all->activateWindow();
    f.all->Field()->setFocus(Qt::OtherFocusReason);
    f.all->Field()->selectAll();
}

void TOrlenth::ShowFound(int category, int entry, std::size_t offset, const QString& typed) {
    FindState& f = *find_;
    if (TabSet1->TabIndex() != category) TabSet1->SetTabIndex(category);
    if (ListBox1->ItemIndex() != entry || state_.Category() != category ||
        state_.Entry() != entry) {
        ListBox1->SetItemIndex(entry);
        ListBox1Click(nullptr);
    }
    // The bar shows what was found, as if the reader had searched for it here.
    f.panel->SetVisible(true);
    f.bar->Field()->setText(typed);
    FindEdited(typed);
    // The hit as the search finds it, from its own start: it is numbered and stepped from.
    f.session.Begin(Direction::Next, offset);
    FindStep();
}

} // namespace orlenth
