// The main window's table of contents (目录): the chapters of the text on show, found in
// the background as the text arrives, listed in the left panel in place of the titles,
// the chapter being read marked as the reading moves; going to the next and the previous
// chapter; and the reader's own way of finding chapters for a text (章节规则).

#include "app/ChapterRulesDialog.h"
#include "app/Unit1main.h"

#include "framework/text/HeadingTools.h"
#include "framework/ui/Actions.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/TabSet.h"

#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace orlenth {

namespace {

// How often the list takes in what the scan found, and looks for the chapter being read:
// often enough to follow auto-scroll, seldom enough to cost nothing.
constexpr int kChapterRefreshMs = 250;
constexpr int kHeadingRole = Qt::UserRole; // an item's index among the headings; -1: a note

// The tree keeps the panel's size, and takes Enter for itself: the window binds Enter to
// 滚屏, which would otherwise win over the item's activation.
class ChapterEvents final : public QObject {
public:
    ChapterEvents(QWidget* panel, QTreeWidget* tree) : panel_(panel), tree_(tree) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == panel_ && event->type() == QEvent::Resize) {
            fit();
        } else if (watched == tree_ && event->type() == QEvent::ShortcutOverride) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) event->accept();
        }
        return QObject::eventFilter(watched, event);
    }

public:
    void fit() {
        // Inside the panel's lowered bevel, as the tabs and titles sit.
        tree_->setGeometry(panel_->rect().adjusted(1, 1, -1, -1));
    }

private:
    QWidget* panel_;
    QTreeWidget* tree_;
};

std::string_view textOf(const text::TextLoad& load) {
    return {load.bytes(), load.available()};
}

} // namespace

void TOrlenth::SetUpChapters() {
    tocTimer_.setInterval(kChapterRefreshMs);
    QObject::connect(&tocTimer_, &QTimer::timeout, this, [this] { RefreshChapters(); });
    QObject::connect(Memo1, &TMemo::TextChanged, this, [this] {
        // At once: the old text's bytes go with its scan, before the next text is read.
        chapterScan_.reset();
        chapterChoiceSet_ = false;
        tocHeadings_.clear();
        tocSections_ = false;
        tocRead_ = text::kNoHeading;
        chapterProgress_ = UINT64_MAX;
        if (tocTree_) FillChapterTree({});
        // The scan starts once the window is back in its loop: whatever opened the text
        // lays the page out first, and the first page comes before any heading.
        tocTimer_.start(0);
    });
}

void TOrlenth::StartChapterScan() {
    if (!chapterChoiceSet_) chapterChoice_ = text::ChapterChoice::Parse(ChoiceForFile());
    chapterScan_.reset();
    chapterScan_ = std::make_unique<text::ChapterScan>(Memo1->Load(), chapterChoice_);
    chapterProgress_ = UINT64_MAX;
    tocTimer_.start(kChapterRefreshMs);
}

QString TOrlenth::ChoiceForFile() {
    const auto& file = state_.FileOnShow();
    if (!file || !settings_) return {};
    const settings::TFilePlace* known =
        Places().Find(QFile::decodeName(QByteArray::fromStdString(file->canonicalPath)));
    return known ? known->chapters : QString();
}

void TOrlenth::RefreshChapters() {
    if (!chapterScan_) StartChapterScan();
    const std::uint64_t progress = chapterScan_->Progress();
    if (progress != chapterProgress_) {
        chapterProgress_ = progress;
        text::ChapterList list = chapterScan_->Snapshot();
        const bool sections = list.finished && list.headings.empty();
        // A text without headings still gets handles, every so many bytes.
        if (sections) list.headings = text::VirtualSections(textOf(*chapterScan_->Load()));
        if (sections != tocSections_) {
            tocSections_ = sections;
            tocItems_.clear(); // other items altogether
        }
        if (tocTree_ && tocTree_->isVisible()) FillChapterTree(list);
        tocHeadings_ = std::move(list.headings);
        if (tocTree_ && !tocTree_->isVisible()) tocItems_.clear(); // filled anew when shown
    }
    MarkChapterRead();
    const bool following = tocTree_ && tocTree_->isVisible();
    if (chapterScan_->Finished() && !following) tocTimer_.stop();
}

void TOrlenth::FillChapterTree(const text::ChapterList& list) {
    const std::vector<text::Heading>& fresh = list.headings;
    const std::string_view bytes =
        chapterScan_ ? textOf(*chapterScan_->Load()) : std::string_view();
    // What the list had grows as the text arrives: only new items are added then, and the
    // reader's place in the list stays as it was.
    // Item i stands for heading i of the list shown before.
    const std::size_t shown = tocItems_.size();
    const bool grows =
        shown > 0 && shown <= tocHeadings_.size() && fresh.size() >= shown &&
        std::equal(tocHeadings_.begin(), tocHeadings_.begin() + static_cast<std::ptrdiff_t>(shown),
                   fresh.begin());
    std::uint32_t currentAt = 0;
    bool hadCurrent = false;
    int scrolled = 0;
    if (!grows) {
        if (QTreeWidgetItem* current = tocTree_->currentItem()) {
            const qlonglong i = current->data(0, kHeadingRole).toLongLong();
            if (i >= 0 && static_cast<std::size_t>(i) < tocHeadings_.size()) {
                currentAt = tocHeadings_[static_cast<std::size_t>(i)].offset;
                hadCurrent = true;
            }
        }
        scrolled = tocTree_->verticalScrollBar()->value();
        tocTree_->clear();
        tocItems_.clear();
        tocNote_ = nullptr;
        tocVolume_ = nullptr;
        tocRead_ = text::kNoHeading;
    }
    if (tocNote_) {
        delete tocNote_;
        tocNote_ = nullptr;
    }
    tocTree_->setUpdatesEnabled(false);
    if (tocSections_ && tocItems_.empty()) {
        tocNote_ =
            new QTreeWidgetItem(tocTree_, {QStringLiteral("没有找到章节：下面按约 %1 KB 分段")
                                               .arg(text::kVirtualSectionBytes / 1024)});
        tocNote_->setFlags(Qt::ItemIsEnabled);
        tocNote_->setData(0, kHeadingRole, -1);
    }
    for (std::size_t i = tocItems_.size(); i < fresh.size(); ++i) {
        const text::Heading& h = fresh[i];
        QString name = text::HeadingText(bytes, h);
        if (tocSections_) name = QStringLiteral("第 %1 段  %2").arg(i + 1).arg(name.left(20));
        // Chapters go under the volume before them; those before any volume stand alone.
        QTreeWidgetItem* item;
        if (h.level == 0) {
            item = new QTreeWidgetItem(tocTree_, {name});
            tocVolume_ = item;
        } else if (tocVolume_) {
            item = new QTreeWidgetItem(tocVolume_, {name});
        } else {
            item = new QTreeWidgetItem(tocTree_, {name});
        }
        item->setData(0, kHeadingRole, static_cast<qlonglong>(i));
        if (h.level == 0) item->setExpanded(true);
        tocItems_.push_back(item);
    }
    if (fresh.empty() && !list.finished) {
        tocNote_ = new QTreeWidgetItem(tocTree_, {QStringLiteral("正在查找章节……")});
        tocNote_->setFlags(Qt::ItemIsEnabled);
        tocNote_->setData(0, kHeadingRole, -1);
    } else if (list.stoppedEarly) {
        tocNote_ =
            new QTreeWidgetItem(tocTree_, {QStringLiteral("只列出了前 %1 个").arg(fresh.size())});
        tocNote_->setFlags(Qt::ItemIsEnabled);
        tocNote_->setData(0, kHeadingRole, -1);
    }
    tocTree_->setUpdatesEnabled(true);
    if (!grows) {
        if (hadCurrent) {
            const std::size_t i = text::HeadingAt(fresh, currentAt);
            if (i != text::kNoHeading && i < tocItems_.size() && fresh[i].offset == currentAt)
                tocTree_->setCurrentItem(tocItems_[i]);
        }
        tocTree_->verticalScrollBar()->setValue(scrolled);
    }
}

void TOrlenth::MarkChapterRead() {
    if (!tocTree_ || !tocTree_->isVisible()) return;
    std::size_t read =
        tocHeadings_.empty() ? text::kNoHeading : text::HeadingAt(tocHeadings_, PlaceRead());
    // Before the first heading the first one is the nearest handle.
    if (read == text::kNoHeading && !tocHeadings_.empty()) read = 0;
    if (read >= tocItems_.size()) read = text::kNoHeading;
    if (read == tocRead_) return;
    const auto setBold = [this](std::size_t i, bool bold) {
        QFont font = tocItems_[i]->font(0);
        font.setBold(bold);
        tocItems_[i]->setFont(0, font);
    };
    if (tocRead_ < tocItems_.size()) setBold(tocRead_, false);
    tocRead_ = read;
    if (read == text::kNoHeading) return;
    setBold(read, true);
    // Where the reader is in the list stays theirs while they move in it, also while the
    // window is in the background.
    if (tocTree_->window()->focusWidget() != tocTree_ || !tocTree_->currentItem()) {
        tocTree_->setCurrentItem(tocItems_[read]);
        tocTree_->scrollToItem(tocItems_[read]);
    }
}

void TOrlenth::GoToChapter(QTreeWidgetItem* item) {
    if (!item) return;
    const qlonglong i = item->data(0, kHeadingRole).toLongLong();
    if (i < 0 || static_cast<std::size_t>(i) >= tocHeadings_.size()) return;
    GoToPlace(tocHeadings_[static_cast<std::size_t>(i)].offset);
    MarkChapterRead();
}

void TOrlenth::ShowChapters(bool show) {
    if (show && !tocTree_) {
        tocTree_ = new QTreeWidget(Panel1->Widget());
        tocTree_->setObjectName(QStringLiteral("chapterTree"));
        tocTree_->setAccessibleName(QStringLiteral("目录"));
        tocTree_->setHeaderHidden(true);
        tocTree_->setColumnCount(1);
        tocTree_->setUniformRowHeights(true);
        tocTree_->setSelectionMode(QAbstractItemView::SingleSelection);
        tocTree_->setEditTriggers(QAbstractItemView::NoEditTriggers);
        tocTree_->setFrameShape(QFrame::NoFrame);
        tocTree_->setFont(ListBox1->Widget()->font());
        auto events = std::make_unique<ChapterEvents>(Panel1->Widget(), tocTree_);
        Panel1->Widget()->installEventFilter(events.get());
        tocTree_->installEventFilter(events.get());
        events->fit();
        tocEvents_ = std::move(events);
        QObject::connect(tocTree_, &QTreeWidget::itemActivated, this,
                         [this](QTreeWidgetItem* item) { GoToChapter(item); });
        QObject::connect(tocTree_, &QTreeWidget::itemClicked, this,
                         [this](QTreeWidgetItem* item) { GoToChapter(item); });
        // The Tab key reaches it where the titles stand.
        QWidget::setTabOrder(ListBox1->Widget(), tocTree_);
        QWidget::setTabOrder(tocTree_, ScrollBox1->ClientWidget());
    }
    toc->SetChecked(show);
    if (show) {
        if (!Panel1->Visible()) ycList1Execute(nullptr);
        TabSet1->SetVisible(false);
        ListBox1->SetVisible(false);
        static_cast<ChapterEvents*>(tocEvents_.get())->fit();
        tocTree_->show();
        tocItems_.clear();
        tocTree_->clear();
        tocNote_ = nullptr;
        tocVolume_ = nullptr;
        tocRead_ = text::kNoHeading;
        chapterProgress_ = UINT64_MAX; // the whole list, at once
        RefreshChapters();
        tocTree_->setFocus();
        tocTimer_.start(kChapterRefreshMs);
    } else if (tocTree_) {
        const bool hadFocus = tocTree_->window()->focusWidget() == tocTree_;
        tocTree_->hide();
        TabSet1->SetVisible(true);
        ListBox1->SetVisible(true);
        if (hadFocus) ListBox1->Widget()->setFocus();
    }
}

void TOrlenth::tocExecute(TComponent*) {
    ShowChapters(!(tocTree_ && tocTree_->isVisible()));
}

void TOrlenth::nextHeadingExecute(TComponent*) {
    RefreshChapters();
    const std::size_t i = text::NextHeading(tocHeadings_, PlaceRead());
    if (i != text::kNoHeading) GoToPlace(tocHeadings_[i].offset);
    MarkChapterRead();
}

void TOrlenth::prevHeadingExecute(TComponent*) {
    RefreshChapters();
    const std::size_t i = text::PreviousHeading(tocHeadings_, PlaceRead());
    if (i != text::kNoHeading) GoToPlace(tocHeadings_[i].offset);
    MarkChapterRead();
}

void TOrlenth::chapterRulesExecute(TComponent*) {
    if (!chapterChoiceSet_ && !chapterScan_)
        chapterChoice_ = text::ChapterChoice::Parse(ChoiceForFile());
    TChapterRulesDialog dialog(Memo1->Load(), chapterChoice_, Widget());
    if (Dialogs().RunModal(dialog) != QDialog::Accepted) return;
    ApplyChapterChoice(dialog.Choice().Stored());
}

void TOrlenth::ApplyChapterChoice(const QString& stored) {
    chapterChoice_ = text::ChapterChoice::Parse(stored);
    chapterChoiceSet_ = true;
    if (const auto& file = state_.FileOnShow(); file && settings_) {
        const QString path = QFile::decodeName(QByteArray::fromStdString(file->canonicalPath));
        settings::TFilePlace place{path,
                                   static_cast<qint64>(file->size),
                                   file->modified,
                                   static_cast<qint64>(PlaceRead()),
                                   0,
                                   {},
                                   {}};
        if (const settings::TFilePlace* known = Places().Find(path))
            place.encoding = known->encoding;
        place.chapters = chapterChoice_.Stored();
        Places().Remember(place);
        if (settings_->Writing()) settings_->Save();
    }
    StartChapterScan();
    tocHeadings_.clear();
    tocSections_ = false;
    if (tocTree_) {
        tocItems_.clear();
        tocTree_->clear();
        tocNote_ = nullptr;
        tocVolume_ = nullptr;
        tocRead_ = text::kNoHeading;
    }
    RefreshChapters();
}

} // namespace orlenth
