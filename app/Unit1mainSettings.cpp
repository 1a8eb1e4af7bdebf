// The main window's lasting settings (appearance, window, the last place and every folder
// file's place), opening files and folders from inside the program, drops, 最近打开 and
// bookmarks.

#include "app/BookmarksDialog.h"
#include "app/ProgramSettings.h"
#include "app/Unit1main.h"
#include "app/platform/DisplayName.h"
#include "app/platform/DroppedPath.h"
#include "app/platform/FileEntry.h"
#include "app/platform/FolderPath.h"
#include "framework/Errors.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Application.h"
#include "framework/ui/Canvas.h"
#include "framework/ui/Dialogs.h"
#include "framework/ui/Font.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Memo.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/Panel.h"
#include "framework/ui/ScrollBox.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/Timer.h"
#include "framework/ui/ToolBar.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QDateTime>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QToolTip>

#include <algorithm>

namespace orlenth {

namespace {

// The display lines of the page's memo, asked without waiting.
class MemoLines final : public TDisplayLines {
public:
    explicit MemoLines(TMemo& memo) : memo_(memo) {}
    int Count() override { return memo_.LineCount(); }
    bool Complete() override { return memo_.Wrapped(); }
    std::uint32_t Start(int i) override { return memo_.LineStart(i); }
    std::uint64_t TextSize() override { return static_cast<std::uint64_t>(memo_.Text().size()); }

private:
    TMemo& memo_;
};

QString pathText(const std::string& bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::string pathBytes(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

const QString kPlaceCategory = QStringLiteral("place/category");
const QString kPlaceEntry = QStringLiteral("place/entry");
const QString kPlaceOffset = QStringLiteral("place/offset");
const QString kPlaceFolder = QStringLiteral("place/folder");
const QString kPlaceFile = QStringLiteral("place/file");
const QString kWindowGeometry = QStringLiteral("window/geometry");
// Qt's geometry records are some tens of bytes; anything far larger is not one.
constexpr int kMaxGeometryBytes = 4096;
// How soon after a change it is written. Changes come from many places (dialogs, the
// splitter, the window manager, scrolling); looking every so often for one costs less than
// a hook in each, and writes nothing while nothing changes.
constexpr int kSaveEveryMs = 2000;
// A moving place is written at most this often.
constexpr int kPlaceEveryMs = 10000;
// A bookmark's opening words.
constexpr int kOpeningChars = 40;

// Drops of files and folders anywhere on the window, passed on once the drop has ended.
class WindowEvents final : public QObject {
public:
    explicit WindowEvents(std::function<void(const std::string&)> dropped)
        : dropped_(std::move(dropped)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::DragEnter: {
            auto* drag = static_cast<QDragEnterEvent*>(event);
            if (drag->mimeData() && platform::DroppedPath(*drag->mimeData())) {
                drag->acceptProposedAction();
                return true;
            }
            break;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (const auto path =
                    drop->mimeData() ? platform::DroppedPath(*drop->mimeData()) : std::nullopt) {
                drop->acceptProposedAction();
                // After the drop has ended: a message box inside it would hold the
                // dragging program too.
                QMetaObject::invokeMethod(
                    this, [this, p = *path] { dropped_(p); }, Qt::QueuedConnection);
                return true;
            }
            break;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void(const std::string&)> dropped_;
};

} // namespace

// ---- appearance

TLook TOrlenth::CurrentLook() {
    TLook look;
    const TFont* font = PaintBox1->Font();
    look.fontName = font->Name();
    look.fontHeight = font->Height();
    look.fontStyle = static_cast<int>(font->Style().toInt());
    look.fontColor = font->Color();
    look.fontCharset = static_cast<int>(font->Charset());
    look.pageColor = PaintBox1->Color();
    look.frameColor = PaintBox1->Canvas()->Pen()->Color();
    look.edgeColor = ScrollBox1->Color();
    look.frame = visBK->Checked();
    look.margins = BieJie->Checked();
    look.listHidden = ycList1->Checked();
    look.interval = Timer1->Interval();
    for (const TControl* c : ToolBar1->Ordered())
        look.leftBar.append(QString::fromStdString(c->Name()));
    look.listWidth = Panel1->Width();
    // The controls show one set; the other waits in the window.
    look.night = night->Checked();
    const TPageColors showing{look.pageColor, look.frameColor, look.edgeColor, look.fontColor};
    const TPageColors day = look.night ? hiddenColors_ : showing;
    look.nightColors = look.night ? showing : hiddenColors_;
    look.pageColor = day.page;
    look.frameColor = day.frame;
    look.edgeColor = day.edge;
    look.fontColor = day.text;
    look.vertical = vertical->Checked();
    return look;
}

void TOrlenth::ApplyLook(const TLook& look) {
    const TopAnchor top = NoteTopLine();
    TFont font;
    font.Assign(PaintBox1->Font());
    font.SetName(look.fontName);
    font.SetHeight(look.fontHeight);
    font.SetStyle(TFont::TFontStyles::fromInt(static_cast<unsigned>(look.fontStyle)));
    const TPageColors day{look.pageColor, look.frameColor, look.edgeColor, look.fontColor};
    const TPageColors& shown = look.night ? look.nightColors : day;
    hiddenColors_ = look.night ? day : look.nightColors;
    night->SetChecked(look.night);
    font.SetColor(shown.text);
    font.SetCharset(static_cast<TFont::TFontCharset>(look.fontCharset));
    Memo1->Font()->Assign(&font);
    PaintBox1->Font()->Assign(&font);
    PaintBox1->SetColor(shown.page);
    PaintBox1->Canvas()->Pen()->SetColor(shown.frame);
    ScrollBox1->SetColor(shown.edge);
    visBK->SetChecked(look.frame);
    BieJie->SetChecked(look.margins);
    if (ycList1->Checked() != look.listHidden) ycList1Execute(nullptr);
    Timer1->SetInterval(look.interval);
    if (TrackBar1->Visible()) TrackBar1->SetPosition(look.interval);
    // A stored name that is no control of the bar (a damaged file, another version's
    // bar) leaves the bar as it is rather than half of it.
    std::vector<TControl*> order;
    const std::vector<TControl*> stored = ToolBar1->Stored();
    for (const QString& name : look.leftBar) {
        const auto it = std::find_if(stored.begin(), stored.end(), [&](const TControl* c) {
            return QString::fromStdString(c->Name()) == name;
        });
        if (it == stored.end() || std::find(order.begin(), order.end(), *it) != order.end()) {
            order.clear();
            break;
        }
        order.push_back(*it);
    }
    if (!order.empty()) ToolBar1->SetButtons(order);
    if (look.listWidth > 0) Panel1->SetWidth(look.listWidth);
    ScrollBox1Resize(nullptr);
    RestoreTopLine(top);
    SetColumns(look.vertical);
    PaintBox1->Invalidate();
}

void TOrlenth::resetLookExecute(TComponent*) {
    // 竖排 is a way of reading, as 简繁 is, not of looking: the reset leaves it.
    TLook look = design_;
    look.vertical = vertical->Checked();
    ApplyLook(look);
}

// ---- the settings file

// Made when first needed: a start that shows no folder file has no use for a thousand
// places yet.
settings::TFilePlaces& TOrlenth::Places() {
    if (!places_) places_ = std::make_unique<settings::TFilePlaces>(*settings_);
    return *places_;
}

settings::TBookmarks& TOrlenth::Bookmarks() {
    if (!bookmarks_) bookmarks_ = std::make_unique<settings::TBookmarks>(*settings_);
    return *bookmarks_;
}

settings::TRecentList& TOrlenth::Recent() {
    if (!recent_) recent_ = std::make_unique<settings::TRecentList>(*settings_);
    return *recent_;
}

void TOrlenth::RestoreSettings() {
    if (!settings_->Reading()) return;
    const TLook look = ReadLook(*settings_, design_);
    if (look != design_) ApplyLook(look);
    if (const auto geometry = settings_->Bytes(kWindowGeometry, kMaxGeometryBytes))
        Widget()->restoreGeometry(*geometry);
}

platform::FolderTarget TOrlenth::RememberedFolder(int& category, int& entry,
                                                  std::uint32_t& offset) {
    category = settings_->Int(kPlaceCategory, 0, kFolderCategory).value_or(0);
    entry = settings_->Int(kPlaceEntry, 0, std::numeric_limits<int>::max()).value_or(0);
    offset = static_cast<std::uint32_t>(
        settings_->Int64(kPlaceOffset, 0, std::numeric_limits<std::uint32_t>::max()).value_or(0));
    const QString folder = settings_->String(kPlaceFolder, 4096).value_or(QString());
    if (folder.isEmpty()) return {};
    std::string bytes = pathBytes(folder);
    if (bytes.front() != '/' || platform::KindOf(bytes) != platform::EntryKind::Directory)
        return {};
    if (bytes.back() != '/') bytes += '/';
    const QString file = settings_->String(kPlaceFile, 1024).value_or(QString());
    std::string name = pathBytes(file);
    // Only a name in that folder, never a path out of it.
    if (name.find('/') != std::string::npos || name == "." || name == "..") name.clear();
    return {bytes, name};
}

QByteArray TOrlenth::LookSnapshot() {
    const TLook look = CurrentLook();
    QByteArray snapshot;
    QDataStream out(&snapshot, QIODevice::WriteOnly);
    out << look.fontName << look.fontHeight << look.fontStyle << look.fontColor << look.fontCharset
        << look.pageColor << look.frameColor << look.edgeColor << look.frame << look.margins
        << look.listHidden << look.interval << look.leftBar << look.listWidth << look.night
        << look.nightColors.page << look.nightColors.frame << look.nightColors.edge
        << look.nightColors.text << look.vertical << Widget()->saveGeometry();
    return snapshot;
}

QByteArray TOrlenth::PlaceSnapshot() {
    QByteArray snapshot;
    QDataStream out(&snapshot, QIODevice::WriteOnly);
    out << state_.Category() << state_.Entry() << PlaceRead()
        << QByteArray::fromStdString(state_.Folder());
    return snapshot;
}

void TOrlenth::SaveIfDue() {
    // A changed look is written at once; a place that moves (scrolling, auto-scroll) only
    // every so often, since each write costs the window's thread a frame or so.
    if (LookSnapshot() != savedLook_ ||
        (placeWritten_.hasExpired(kPlaceEveryMs) && PlaceSnapshot() != savedPlace_))
        SaveSettings();
}

void TOrlenth::SaveSettings() {
    if (!settings_ || !settings_->Writing()) return;
    // Only what changed since the last write is written, so that two readers at once each
    // keep what the other changed.
    const QByteArray look = LookSnapshot();
    const QByteArray place = PlaceSnapshot();
    if (look == savedLook_ && place == savedPlace_) return;
    if (look != savedLook_) {
        WriteLook(*settings_, CurrentLook());
        settings_->Set(kWindowGeometry, Widget()->saveGeometry());
    }
    const int category = state_.Category();
    if (place != savedPlace_ && category >= 0) {
        NoteLeaving();
        settings_->Set(kPlaceCategory, category);
        settings_->Set(kPlaceEntry, state_.Entry());
        settings_->Set(kPlaceOffset, static_cast<qint64>(PlaceRead()));
        const std::string path = state_.FolderPath(state_.Entry());
        settings_->Set(kPlaceFolder, state_.HasFolder() ? pathText(state_.Folder()) : QString());
        settings_->Set(kPlaceFile, category == kFolderCategory && !path.empty()
                                       ? pathText(path.substr(state_.Folder().size()))
                                       : QString());
    }
    settings_->Save();
    savedLook_ = look;
    savedPlace_ = place;
    placeWritten_.start();
}

void TOrlenth::NoteLeaving() {
    const auto& file = state_.FileOnShow();
    if (!file || !settings_) return;
    const QString path = pathText(file->canonicalPath);
    settings::TFilePlace place{path,
                               static_cast<qint64>(file->size),
                               file->modified,
                               static_cast<qint64>(PlaceRead()),
                               0,
                               {},
                               {}};
    if (const settings::TFilePlace* known = Places().Find(path)) {
        place.encoding = known->encoding;
        place.chapters = known->chapters;
    }
    Places().Remember(place);
}

// ---- places

std::uint32_t TOrlenth::PlaceRead() {
    if (pendingOffset_) return *pendingOffset_;
    MemoLines lines(*Memo1);
    return TReadingState::PlaceAt(lines, ScrollBox1->VertPosition(), LinePitch());
}

void TOrlenth::GoToPlace(std::uint32_t offset) {
    pendingOffset_ = offset;
    pendingAt_ = ScrollBox1->VertPosition();
    TryPendingPlace();
}

void TOrlenth::TryPendingPlace() {
    if (!pendingOffset_) return;
    // The reader moved the page meanwhile: their move wins.
    if (ScrollBox1->VertPosition() != pendingAt_) {
        pendingOffset_.reset();
        return;
    }
    MemoLines lines(*Memo1);
    const std::optional<std::int64_t> position =
        TReadingState::PositionOf(lines, *pendingOffset_, LinePitch());
    if (!position) return;
    pendingOffset_.reset();
    SetPageHeight();
    ScrollBox1->SetVertPosition(*position);
}

// ---- opening

void TOrlenth::OpenPath(const std::string& path) {
    const platform::EntryKind kind = platform::KindOf(path);
    if (path.empty() || kind == platform::EntryKind::Missing) throw EFOpenError::forFile(path);
    platform::FolderTarget target = platform::LocateFolderArgument(path);
    if (target.folder.empty()) throw EFOpenError::forFile(path);
    NoteLeaving();
    pendingOffset_.reset();
    const QByteArray caption = UnicodeToDisplayBytes(
        platform::DisplayName(platform::FolderTabName(target.folder, platform::kNativePathStyle)));
    QByteArrayList tabs = TabSet1->Tabs()->Strings();
    if (tabs.size() > kFolderCategory)
        tabs[kFolderCategory] = caption;
    else
        tabs.append(caption);
    TabSet1->Tabs()->SetStrings(tabs);
    state_.SetFolder(target.folder, target.file);
    startFile_ = target.file;
    if (TabSet1->TabIndex() == kFolderCategory) {
        bool allow = true;
        TabSet1Change(TabSet1, kFolderCategory, allow);
    } else {
        TabSet1->SetTabIndex(kFolderCategory);
    }
    startFile_.clear();
    Recent().Add(pathText(platform::CanonicalPath(path)));
}

void TOrlenth::openPathExecute(TComponent*) {
    const QString start = state_.HasFolder() ? pathText(state_.Folder()) : QDir::homePath();
    const QString chosen = Dialogs().ChooseOpenPath(Widget(), start);
    if (chosen.isEmpty()) return;
    OpenPath(pathBytes(chosen));
}

void TOrlenth::FillRecentMenu() {
    recentMenu_->clear();
    const QStringList paths = Recent().Paths();
    if (paths.isEmpty()) {
        recentMenu_->addAction(QString::fromUtf8("（无）"))->setEnabled(false);
        return;
    }
    int n = 0;
    for (const QString& path : paths) {
        // Numbered for the keyboard: 1 … 9, then 0.
        const QString key = QString::number(++n % 10);
        QAction* item = recentMenu_->addAction(QStringLiteral("&%1 %2").arg(
            key, QString(path).replace(QLatin1Char('&'), QStringLiteral("&&"))));
        QObject::connect(item, &QAction::triggered, this, [this, path] {
            // Run after the menu has closed: opening may show a message box.
            QMetaObject::invokeMethod(
                this, [this, path] { OpenRecent(path); }, Qt::QueuedConnection);
        });
    }
}

void TOrlenth::OpenRecent(const QString& path) {
    if (!QFileInfo::exists(path)) {
        Recent().Remove(path);
        TMessageBoxRequest request;
        request.owner = Widget();
        request.caption = TApplication::Instance().Title();
        request.icon = TMessageIcon::Information;
        request.text = QString::fromUtf8("“%1”已不存在，已从最近打开中移除。").arg(path);
        Dialogs().MessageBox(request);
        return;
    }
    try {
        OpenPath(pathBytes(path));
    } catch (const std::exception& e) {
        TApplication::Instance().ShowException(e);
    }
}

// ---- bookmarks

void TOrlenth::addMarkExecute(TComponent*) {
    if (state_.Category() < 0) return;
    settings::TBookmark mark;
    mark.category = state_.Category();
    mark.entry = state_.Entry();
    if (const auto& file = state_.FileOnShow()) mark.file = pathText(file->canonicalPath);
    const int row = ListBox1->ItemIndex();
    mark.title = row >= 0 && row < ListBox1->Count()
                     ? DisplayTextToUnicode(ListBox1->Items()->Get(row))
                     : QString();
    mark.offset = PlaceRead();
    // How far in, by the shown text's bytes, as the offset is: a converted file's bytes on
    // disk are another measure. A text still arriving is measured by what is there and how
    // much of the file it came from.
    const std::shared_ptr<const text::TextLoad> load = Memo1->Load();
    const std::uint64_t shown = load->available();
    const auto& file = state_.FileOnShow();
    const bool arriving = !load->loaded() && file && encodingReport_;
    mark.permille = settings::PermilleOf(static_cast<std::uint64_t>(mark.offset), shown,
                                         arriving ? encodingReport_->SourceRead() : shown,
                                         arriving ? file->size : shown);
    MemoLines lines(*Memo1);
    if (lines.Count() > 0) {
        const int line = WrappedLineAt(lines, static_cast<std::uint32_t>(mark.offset));
        mark.opening = DisplayTextToUnicode(Memo1->Line(line)).trimmed().left(kOpeningChars);
    }
    std::size_t dropped = 0;
    const settings::TBookmark added = Bookmarks().Add(mark, &dropped);
    settings_->Save();
    // The bookmarks are kept within a share of the settings file: when they reach it, the
    // reader is told which went.
    QString said = added.id.isEmpty() ? QString::fromUtf8("未加书签：文件的路径太长，无法保存")
                                      : QString::fromUtf8("已加书签：%1").arg(added.title);
    if (dropped > 0) said += QString::fromUtf8("（书签已满，删去了最早的 %1 个）").arg(dropped);
    QToolTip::showText(ScrollBox1->ClientWidget()->mapToGlobal(QPoint(16, 16)), said,
                       ScrollBox1->ClientWidget());
}

void TOrlenth::marksExecute(TComponent*) {
    const std::vector<settings::TBookmark> all = Bookmarks().All();
    std::vector<TBookmarkRow> rows;
    rows.reserve(all.size());
    for (const settings::TBookmark& b : all)
        rows.push_back({b.id, b.title, b.opening, b.permille, b.made,
                        !b.file.isEmpty() && !QFileInfo::exists(b.file)});
    TBookmarksDialog dialog(
        std::move(rows),
        [this](const QString& id, const QString& title) {
            const bool done = Bookmarks().Rename(id, title);
            settings_->Save();
            return done;
        },
        [this](const QString& id) {
            const bool done = Bookmarks().Remove(id);
            settings_->Save();
            return done;
        },
        Widget());
    if (Dialogs().RunModal(dialog) != QDialog::Accepted || dialog.ChosenId().isEmpty()) return;
    for (const settings::TBookmark& b : Bookmarks().All())
        if (b.id == dialog.ChosenId()) {
            GoToBookmark(b);
            return;
        }
}

void TOrlenth::GoToBookmark(const settings::TBookmark& mark) {
    if (!mark.file.isEmpty()) {
        OpenPath(pathBytes(mark.file));
    } else if (IsBuiltInCategory(mark.category)) {
        if (TabSet1->TabIndex() != mark.category) TabSet1->SetTabIndex(mark.category);
        ListBox1->SetItemIndex(std::clamp(mark.entry, 0, std::max(ListBox1->Count() - 1, 0)));
        ListBox1Click(nullptr);
    } else {
        return;
    }
    GoToPlace(static_cast<std::uint32_t>(std::clamp<qint64>(mark.offset, 0, UINT32_MAX)));
}

// ---- wiring, from the constructor

void TOrlenth::SetUpLasting() {
    settings_ = &ProgramSettings();
    design_ = CurrentLook();
    RestoreSettings();
    recentMenu_ = std::make_unique<QMenu>();
    recentMenu_->setTitle(QString::fromUtf8("最近打开"));
    N18->QtAction()->setMenu(recentMenu_.get());
    QObject::connect(recentMenu_.get(), &QMenu::aboutToShow, this, [this] { FillRecentMenu(); });
    QObject::connect(Memo1, &TMemo::LinesAdded, this, [this] { TryPendingPlace(); });
    Widget()->setAcceptDrops(true);
    windowEvents_ = std::make_unique<WindowEvents>([this](const std::string& path) {
        try {
            OpenPath(path);
        } catch (const std::exception& e) {
            TApplication::Instance().ShowException(e);
        }
    });
    Widget()->installEventFilter(windowEvents_.get());
    if (!settings_->Writing()) return;
    // Written shortly after a change, and at the end whichever way it comes: the window
    // closing, the program quitting (SIGTERM ends the loop too), the session ending.
    saveTimer_.setInterval(kSaveEveryMs);
    QObject::connect(&saveTimer_, &QTimer::timeout, this, [this] { SaveIfDue(); });
    saveTimer_.start();
    placeWritten_.start();
    // What the file gave is what is on disk: nothing to write until something changes.
    savedLook_ = LookSnapshot();
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { SaveSettings(); });
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, this,
                     [this](QSessionManager&) { SaveSettings(); });
}

} // namespace orlenth
