#include "framework/ui/Accessibility.h"

#include "framework/text/TextEncoding.h"
#include "framework/ui/Form.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Menus.h"
#include "framework/ui/PaintBox.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/ToolButton.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <map>

namespace orlenth {

namespace {

// A row of a control that has no widget of its own: a tab, a title in the list.
class ItemAccessible;

// A control whose children are items it draws itself.
class ItemsAccessible : public QAccessibleWidget {
public:
    ItemsAccessible(QWidget* w, QAccessible::Role role, QAccessible::Role itemRole)
        : QAccessibleWidget(w, role), itemRole_(itemRole) {}
    ~ItemsAccessible() override {
        for (const auto& [index, id] : children_) QAccessible::deleteAccessibleInterface(id);
    }

    virtual int ItemCount() const = 0;
    virtual QString ItemText(int index) const = 0;
    // In the widget's coordinates; empty when the item is out of sight.
    virtual QRect ItemRect(int index) const = 0;
    virtual bool ItemSelected(int index) const = 0;
    virtual bool ItemFocused(int) const { return false; }
    virtual void ActivateItem(int index) = 0;
    virtual QAccessible::Role ItemRole(int) const { return itemRole_; }
    // What an item adds to the states every item has (checks, a disabled item).
    virtual void AddItemState(int, QAccessible::State&) const {}
    // Whether an item can be pressed, and the keys that do it from anywhere in the window.
    virtual bool ItemPressable(int) const { return true; }
    virtual QStringList ItemKeys(int) const { return {}; }
    // The menu an item opens, shown as its one child; null for most items.
    virtual QMenu* ItemSubmenu(int) const { return nullptr; }
    // Opens the item's menu as the Right key does.
    virtual void OpenItemSubmenu(int) {}
    QWidget* Widget() const { return widget(); }

    // The items only: the strip's arrows and the list's scroll bars are reached by the
    // keys and the items' own actions already.
    int childCount() const override { return ItemCount(); }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint p = widget()->mapFromGlobal(QPoint(x, y));
        for (int i = 0; i < ItemCount(); ++i)
            if (ItemRect(i).contains(p)) return child(i);
        return nullptr;
    }

private:
    QAccessible::Role itemRole_;
    // Made when first asked for and kept, so that a screen reader sees the same object
    // for the same row each time.
    mutable std::map<int, QAccessible::Id> children_;
};

class ItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ItemAccessible(ItemsAccessible& owner, int index) : owner_(owner), index_(index) {}

    int Index() const { return index_; }
    bool isValid() const override { return owner_.isValid() && index_ < owner_.ItemCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return owner_.window(); }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override { return &owner_; }
    QAccessibleInterface* child(int i) const override {
        QMenu* submenu = Submenu();
        return submenu && i == 0 ? QAccessible::queryAccessibleInterface(submenu) : nullptr;
    }
    int childCount() const override { return Submenu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* c) const override {
        QMenu* submenu = Submenu();
        return submenu && c && c->object() == submenu ? 0 : -1;
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? owner_.ItemText(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const QRect r = isValid() ? owner_.ItemRect(index_) : QRect();
        return r.isEmpty() ? QRect() : r.translated(owner_.Widget()->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override { return owner_.ItemRole(index_); }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) return s;
        s.selectable = true;
        s.selected = owner_.ItemSelected(index_);
        s.focusable = owner_.Widget()->focusPolicy() != Qt::NoFocus;
        s.focused = owner_.ItemFocused(index_);
        s.invisible = owner_.ItemRect(index_).isEmpty();
        s.offscreen = s.invisible;
        s.hasPopup = Submenu() != nullptr;
        owner_.AddItemState(index_, s);
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }
    QStringList actionNames() const override {
        if (!isValid() || !owner_.ItemPressable(index_)) return {};
        return {Submenu() ? showMenuAction() : pressAction()};
    }
    void doAction(const QString& name) override {
        if (!isValid() || !owner_.ItemPressable(index_)) return;
        if (name == pressAction() && !Submenu()) owner_.ActivateItem(index_);
        if (name == showMenuAction() && Submenu()) owner_.OpenItemSubmenu(index_);
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == pressAction() && isValid() && owner_.ItemPressable(index_)
                   ? owner_.ItemKeys(index_)
                   : QStringList{};
    }

private:
    QMenu* Submenu() const { return isValid() ? owner_.ItemSubmenu(index_) : nullptr; }

    ItemsAccessible& owner_;
    int index_;
};

QAccessibleInterface* ItemsAccessible::child(int index) const {
    if (index < 0 || index >= ItemCount()) return nullptr;
    auto it = children_.find(index);
    if (it == children_.end())
        it = children_
                 .emplace(index, QAccessible::registerAccessibleInterface(new ItemAccessible(
                                     const_cast<ItemsAccessible&>(*this), index)))
                 .first;
    return QAccessible::accessibleInterface(it->second);
}

int ItemsAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (const auto& [index, id] : children_)
        if (QAccessible::accessibleInterface(id) == child) return index < ItemCount() ? index : -1;
    return -1;
}

class TabSetAccessible : public ItemsAccessible {
public:
    TabSetAccessible(QWidget* w, TTabSet& tabs)
        : ItemsAccessible(w, QAccessible::PageTabList, QAccessible::PageTab), tabs_(&tabs) {}
    bool isValid() const override { return tabs_ && ItemsAccessible::isValid(); }
    int ItemCount() const override { return tabs_ ? tabs_->Tabs()->Count() : 0; }
    QString ItemText(int i) const override { return DisplayTextToUnicode(tabs_->Tabs()->Get(i)); }
    QRect ItemRect(int i) const override { return tabs_->TabRect(i); }
    bool ItemSelected(int i) const override { return tabs_->TabIndex() == i; }
    // The keys move the current tab: it has the focus while the strip has.
    bool ItemFocused(int i) const override { return widget()->hasFocus() && ItemSelected(i); }
    void ActivateItem(int i) override { tabs_->SetTabIndex(i); }

private:
    QPointer<TTabSet> tabs_;
};

class ListBoxAccessible : public ItemsAccessible {
public:
    ListBoxAccessible(QWidget* w, TListBox& list)
        : ItemsAccessible(w, QAccessible::List, QAccessible::ListItem), list_(&list) {}
    bool isValid() const override { return list_ && ItemsAccessible::isValid(); }
    int ItemCount() const override { return list_ ? list_->Count() : 0; }
    QString ItemText(int i) const override { return DisplayTextToUnicode(list_->Items()->Get(i)); }
    QRect ItemRect(int i) const override {
        const QWidget* view = list_->ScrollArea()->viewport();
        const QRect r = list_->ItemRect(i).intersected(view->rect());
        return r.isEmpty() ? QRect() : r.translated(view->mapTo(widget(), QPoint(0, 0)));
    }
    bool ItemSelected(int i) const override { return list_->ItemIndex() == i; }
    bool ItemFocused(int i) const override {
        return widget()->hasFocus() && std::max(0, list_->ItemIndex()) == i;
    }
    void ActivateItem(int i) override { list_->UserSelect(i); }

private:
    QPointer<TListBox> list_;
};

class ToolButtonAccessible : public QAccessibleWidget {
public:
    ToolButtonAccessible(QWidget* w, TToolButton& button)
        : QAccessibleWidget(w, RoleOf(button)), button_(&button) {}
    static QAccessible::Role RoleOf(const TToolButton& b) {
        return b.IsGap()                               ? QAccessible::Separator
               : b.Style() == TToolButton::tbsDropDown ? QAccessible::ButtonMenu
                                                       : QAccessible::Button;
    }
    bool isValid() const override { return button_ && QAccessibleWidget::isValid(); }
    QAccessible::Role role() const override {
        return button_ ? RoleOf(*button_) : QAccessible::Button;
    }
    QString text(QAccessible::Text t) const override {
        if (!button_) return {};
        switch (t) {
        case QAccessible::Name:
            return DisplayTextToUnicode(button_->Caption());
        case QAccessible::Description:
            return DisplayTextToUnicode(button_->Hint());
        default:
            return QAccessibleWidget::text(t);
        }
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (!button_) return s;
        s.disabled = !button_->Enabled();
        s.checkable = button_->Style() == TToolButton::tbsCheck;
        s.checked = s.checkable && button_->Down();
        s.pressed = !s.checkable && button_->Down();
        s.hasPopup = button_->Style() == TToolButton::tbsDropDown;
        return s;
    }
    QStringList actionNames() const override {
        if (!button_ || button_->IsGap() || !button_->Enabled()) return {};
        return {button_->Style() == TToolButton::tbsDropDown && button_->DropdownMenu()
                    ? showMenuAction()
                    : pressAction()};
    }
    void doAction(const QString& name) override {
        if (!button_ || !actionNames().contains(name)) return;
        if (name == showMenuAction()) {
            // The menu runs its own loop; the screen reader's call must return first.
            QMetaObject::invokeMethod(
                button_,
                [b = button_] {
                    if (b) b->Click();
                },
                Qt::QueuedConnection);
            return;
        }
        button_->Click();
    }

private:
    QPointer<TToolButton> button_;
};

// The text item of `type` (a character, word or sentence) at, before or after unit `at` of
// `text`, as Qt's text interface finds it in a whole text; found here in a window of the
// page's text around the place asked. Start and end are -1 when there is none.
enum class Side { At, Before, After };
QString ItemAround(const QString& text, int at, QAccessible::TextBoundaryType type, Side side,
                   int* start, int* end) {
    QTextBoundaryFinder::BoundaryType finderType = QTextBoundaryFinder::Grapheme;
    if (type == QAccessible::WordBoundary) finderType = QTextBoundaryFinder::Word;
    if (type == QAccessible::SentenceBoundary) finderType = QTextBoundaryFinder::Sentence;
    const auto size = static_cast<int>(text.size());
    *start = *end = -1;
    if (text.isEmpty() || at < 0 || at > size) return {};
    if ((side == Side::Before && at == 0) || (side != Side::Before && at == size)) {
        *start = *end = at;
        return {};
    }
    QTextBoundaryFinder finder(finderType, text);
    finder.setPosition(at);
    const auto edge = [&] {
        return (finder.boundaryReasons() &
                (QTextBoundaryFinder::StartOfItem | QTextBoundaryFinder::EndOfItem)) != 0;
    };
    const auto back = [&] {
        while (finder.toPreviousBoundary() > 0 && !edge()) {
        }
        return std::max(0, static_cast<int>(finder.position()));
    };
    const auto forth = [&] {
        while (finder.toNextBoundary() >= 0 && finder.position() < size && !edge()) {
        }
        return finder.position() < 0 ? size : static_cast<int>(finder.position());
    };
    switch (side) {
    case Side::At:
        if (!edge()) back();
        *start = std::max(0, static_cast<int>(finder.position()));
        *end = forth();
        break;
    case Side::Before:
        if (!edge()) back();
        *end = std::max(0, static_cast<int>(finder.position()));
        *start = back();
        break;
    case Side::After:
        *start = forth();
        *end = forth();
        break;
    }
    return text.mid(*start, *end - *start);
}

// The reading page: the text it shows, read line by line as it is drawn. Every answer is
// taken from the lines and bytes of the part asked about (see text::CharacterIndex), so
// a novel of hundreds of megabytes is never copied whole for a screen reader.
class PaintBoxAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    // Words and sentences are looked for this far on either side of the place asked.
    static constexpr int kItemWindow = 4096;

    PaintBoxAccessible(QWidget* w, TPaintBox& box)
        : QAccessibleWidget(w, QAccessible::EditableText), box_(&box) {}
    bool isValid() const override { return box_ && QAccessibleWidget::isValid(); }
    // A box that draws pictures, not text, is one.
    QAccessible::Role role() const override {
        return box_ && box_->HasTextSource() ? QAccessible::EditableText : QAccessible::Graphic;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.readOnly = true;
        s.multiLine = true;
        // The keys go to the scrolling area the page lies in; for a reader the focus is on
        // the page.
        const QWidget* area = widget()->parentWidget();
        s.focusable = area && area->focusPolicy() != Qt::NoFocus;
        s.focused = area && area->hasFocus();
        return s;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TextInterface && box_ && box_->HasTextSource())
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Nothing is ever selected on the page.
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    // The caret a screen reader starts reading from: the top of the part in view, or as
    // far as the text is counted when the view lies beyond.
    int cursorPosition() const override {
        text::CharacterIndex* t = Shown();
        if (!t) return 0;
        const text::CharacterIndex::Span line =
            t->lineSpan(static_cast<std::size_t>(FirstLineInView()));
        return line.start < 0 ? t->count() : line.start;
    }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override {
        text::CharacterIndex* t = Shown();
        if (!t) return {};
        return t->text(start, end < 0 ? t->count() : end);
    }
    int characterCount() const override {
        text::CharacterIndex* t = Shown();
        return t ? t->count() : 0;
    }
    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                         int* end) const override {
        return Item(offset, type, Side::At, start, end);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                             int* end) const override {
        return Item(offset, type, Side::Before, start, end);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* start,
                            int* end) const override {
        return Item(offset, type, Side::After, start, end);
    }
    QRect characterRect(int offset) const override {
        text::CharacterIndex* t = Shown();
        if (!t || offset < 0 || offset > t->count()) return {};
        const text::CharacterIndex::Span line = t->lineAt(offset);
        if (line.start < 0) return {};
        const QRect r = box_->ShownLineRect(static_cast<int>(line.line));
        const QFontMetrics fm(box_->Font()->ToQFont());
        const int x = fm.horizontalAdvance(t->text(line.start, offset));
        const QString at = t->text(offset, offset + 1);
        const int w = at.isEmpty() ? 0 : fm.horizontalAdvance(at);
        // Down a column an upright character takes about its advance across a row.
        if (box_->ShownInColumns())
            return QRect(ToGlobal(QPoint(r.left(), r.top() + x)), QSize(r.width(), w));
        return QRect(ToGlobal(QPoint(r.left() + x, r.top())), QSize(w, r.height()));
    }
    int offsetAtPoint(const QPoint& point) const override {
        text::CharacterIndex* t = Shown();
        if (!t) return -1;
        const QPoint p = point - ToGlobal(QPoint(0, 0));
        const bool columns = box_->ShownInColumns();
        const int line = columns ? LineAtX(p.x()) : LineAtY(p.y());
        const text::CharacterIndex::Span span = t->lineSpan(static_cast<std::size_t>(line));
        if (span.start < 0) return -1;
        const QString text = t->text(span.start, span.end);
        const QFontMetrics fm(box_->Font()->ToQFont());
        const QRect r = box_->ShownLineRect(line);
        int along = columns ? r.top() : r.left();
        const int target = columns ? p.y() : p.x();
        for (int i = 0; i < text.size(); ++i) {
            along += fm.horizontalAdvance(text.at(i));
            if (along > target) return span.start + i;
        }
        return span.end;
    }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override {
        *start = 0;
        *end = std::max(offset, characterCount());
        return {};
    }

private:
    text::CharacterIndex* Shown() const { return box_ ? box_->ShownText() : nullptr; }

    QString Item(int offset, QAccessible::TextBoundaryType type, Side side, int* start,
                 int* end) const {
        *start = *end = -1;
        text::CharacterIndex* t = Shown();
        if (!t) return {};
        if (type == QAccessible::LineBoundary) {
            text::CharacterIndex::Span line = t->lineAt(offset);
            if (line.start >= 0 && side == Side::Before)
                line = line.start > 0 ? t->lineAt(line.start - 1) : text::CharacterIndex::Span{};
            if (line.start >= 0 && side == Side::After)
                line = line.end < t->count() ? t->lineAt(line.end) : text::CharacterIndex::Span{};
            if (line.start < 0) return {};
            *start = line.start;
            *end = line.end;
            return t->text(line.start, line.end);
        }
        if (type == QAccessible::NoBoundary) {
            *start = 0;
            *end = t->count();
            return t->text(0, t->count());
        }
        if (offset < 0 || offset > t->count()) return {};
        // Characters, words and sentences in a window around the place: no word or
        // sentence of a reading page is longer.
        const int from = std::max(0, offset - kItemWindow);
        const QString window = t->text(from, offset + kItemWindow);
        const QString item = ItemAround(window, offset - from, type, side, start, end);
        if (*start >= 0) {
            *start += from;
            *end += from;
        }
        return item;
    }
    // The number of lines so far, for the halving searches.
    int LineCount() const {
        text::CharacterIndex* t = Shown();
        return t ? static_cast<int>(std::max<std::size_t>(1, t->lines())) : 1;
    }
    // The first line whose rectangle reaches below `y` (widget coordinates); lines lie one
    // below the other, so the search halves.
    int LineAtY(int y) const {
        int lo = 0, hi = LineCount() - 1;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (box_->ShownLineRect(mid).bottom() < y)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
    // The first column whose rectangle reaches left of `x`: columns lie one left of the
    // other.
    int LineAtX(int x) const {
        int lo = 0, hi = LineCount() - 1;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            if (box_->ShownLineRect(mid).left() > x)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
    int FirstLineInView() const {
        return box_ && box_->ShownInColumns() ? LineAtX(box_->Widget()->width() - 1) : LineAtY(0);
    }
    QPoint ToGlobal(QPoint p) const { return widget()->mapToGlobal(p); }

    QPointer<TPaintBox> box_;
};

// A caption as a menu shows it: before the shortcut column, "&&" a single "&" and a lone
// "&" the mark under the key that follows it.
QString MenuCaption(const QAction* action) {
    const QString shown = action->text().section(u'\t', 0, 0);
    QString name;
    for (qsizetype k = 0; k < shown.size(); ++k) {
        if (shown[k] == u'&' && k + 1 < shown.size())
            ++k;
        else if (shown[k] == u'&')
            continue;
        name += shown[k];
    }
    return name;
}

// The menu a submenu hangs from: the menu its item (the menu's action) stands in.
QMenu* ParentMenuOf(const QMenu* submenu) {
    QAction* item = submenu->menuAction();
    if (!item) return nullptr;
    for (QObject* o : item->associatedObjects())
        if (auto* menu = qobject_cast<QMenu*>(o); menu && menu != submenu) return menu;
    return nullptr;
}

// The items of a Qt menu in the order of its actions, the numbering of the focus events
// the Qt menu sends as the highlight moves: named as they read without the hot-key marks,
// checked as their marks show. An item with a menu of its own has it as its child.
class QtMenuAccessible : public ItemsAccessible {
public:
    explicit QtMenuAccessible(QMenu* w)
        : ItemsAccessible(w, QAccessible::PopupMenu, QAccessible::MenuItem) {}
    int ItemCount() const override { return static_cast<int>(Menu()->actions().size()); }
    QString ItemText(int i) const override {
        const QAction* a = Action(i);
        return a && !a->isSeparator() ? MenuCaption(a) : QString();
    }
    QRect ItemRect(int i) const override {
        const QAction* a = Action(i);
        return a && a->isVisible() && Menu()->isVisible() ? Menu()->actionGeometry(Action(i))
                                                          : QRect();
    }
    bool ItemSelected(int i) const override {
        return Menu()->activeAction() && Menu()->activeAction() == Action(i);
    }
    bool ItemFocused(int i) const override { return ItemSelected(i); }
    QAccessible::Role ItemRole(int i) const override {
        const QAction* a = Action(i);
        return a && a->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    void AddItemState(int i, QAccessible::State& s) const override {
        const QAction* a = Action(i);
        if (!a) return;
        s.selectable = false;
        s.disabled = !a->isEnabled();
        s.checkable = a->isCheckable();
        s.checked = a->isChecked();
    }
    bool ItemPressable(int i) const override {
        const QAction* a = Action(i);
        return a && a->isEnabled() && !a->isSeparator();
    }
    QStringList ItemKeys(int i) const override {
        const QAction* a = Action(i);
        const QString keys = a ? a->text().section(u'\t', 1) : QString();
        return keys.isEmpty() ? QStringList{} : QStringList{keys};
    }
    QMenu* ItemSubmenu(int i) const override {
        const QAction* a = Action(i);
        return a ? a->menu<QMenu*>() : nullptr;
    }
    // As the Right key on the item: the menu shows it, with its own items reachable.
    void OpenItemSubmenu(int i) override {
        if (QAction* a = Action(i); a && Menu()->isVisible()) Menu()->setActiveAction(a);
    }

protected:
    QMenu* Menu() const { return static_cast<QMenu*>(widget()); }
    QAction* Action(int i) const {
        const QList<QAction*> actions = Menu()->actions();
        return i >= 0 && i < actions.size() ? actions.at(i) : nullptr;
    }
};

// A pop-up menu while it is open: pressed, an item runs as a click on it does.
class MenuAccessible : public QtMenuAccessible {
public:
    MenuAccessible(QMenu* w, TPopupMenu& menu) : QtMenuAccessible(w), menu_(&menu) {}
    bool isValid() const override { return menu_ && QtMenuAccessible::isValid(); }
    // The window the menu belongs to, which lists it among its children while it is open.
    QAccessibleInterface* parent() const override {
        QWidget* window = menu_ ? WindowWidgetOf(*menu_) : nullptr;
        return window ? QAccessible::queryAccessibleInterface(window) : QtMenuAccessible::parent();
    }
    void AddItemState(int i, QAccessible::State& s) const override {
        const TMenuItem* item = Item(i);
        if (!item) return;
        s.selectable = false;
        s.disabled = !item->Enabled();
        s.checkable = item->Checked();
        s.checked = item->Checked();
    }
    bool ItemPressable(int i) const override {
        const TMenuItem* item = Item(i);
        return item && item->Enabled() && !item->IsSeparator();
    }
    void ActivateItem(int i) override {
        if (TMenuItem* item = Item(i)) menu_->Choose(item);
    }

private:
    TMenuItem* Item(int i) const {
        const QAction* action = Action(i);
        if (!menu_ || !action) return nullptr;
        for (int k = 0; k < menu_->Count(); ++k)
            if (menu_->Item(k)->QtAction() == action) return menu_->Item(k);
        return nullptr;
    }

    QPointer<TPopupMenu> menu_;
};

// A menu opened from an item of a pop-up menu (编码, 简繁, 最近打开...), or from an item of
// such a menu: the item's child. Pressed, an item runs once every menu has closed, as a
// click on it does, so that a window it opens does not hold the screen reader's call.
class SubmenuAccessible : public QtMenuAccessible {
public:
    explicit SubmenuAccessible(QMenu* w) : QtMenuAccessible(w) {}
    QAccessibleInterface* parent() const override {
        QMenu* above = ParentMenuOf(Menu());
        QAccessibleInterface* menu = above ? QAccessible::queryAccessibleInterface(above) : nullptr;
        const auto index = above ? above->actions().indexOf(Menu()->menuAction()) : -1;
        return menu && index >= 0 ? menu->child(static_cast<int>(index))
                                  : QtMenuAccessible::parent();
    }
    void ActivateItem(int i) override {
        QAction* a = Action(i);
        if (!a) return;
        if (TPopupMenu* open = TPopupMenu::OpenMenu())
            open->ChooseLater(a);
        else if (a->isEnabled())
            a->trigger();
    }
};

// Whether a Qt menu hangs from an item of one of our pop-up menus, at any depth.
bool IsSubmenu(const QMenu* menu) {
    for (int depth = 0; menu && depth < 8; ++depth) {
        const QMenu* above = ParentMenuOf(menu);
        if (above && TPopupMenu::OfQtMenu(above)) return true;
        menu = above;
    }
    return false;
}

// A window is a frame named with its title, whether or not the window system draws one; a
// window without a title (a splash) is the program's own and takes its name. Its pop-up
// menu, while open, is its last child: the menu is a window of its own, which Qt would
// show to no one.
class FormAccessible : public QAccessibleWidget {
public:
    explicit FormAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::Window) {}
    QString text(QAccessible::Text t) const override {
        QString s = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && s.isEmpty()) s = QGuiApplication::applicationDisplayName();
        return s;
    }
    int childCount() const override {
        return QAccessibleWidget::childCount() + (OpenMenu() ? 1 : 0);
    }
    QAccessibleInterface* child(int index) const override {
        const int own = QAccessibleWidget::childCount();
        if (index == own)
            if (QMenu* menu = OpenMenu()) return QAccessible::queryAccessibleInterface(menu);
        return QAccessibleWidget::child(index);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (QMenu* menu = OpenMenu(); menu && child && child->object() == menu)
            return QAccessibleWidget::childCount();
        return QAccessibleWidget::indexOfChild(child);
    }

private:
    QMenu* OpenMenu() const {
        TPopupMenu* open = TPopupMenu::OpenMenu();
        return open && open->QtMenu() && WindowWidgetOf(*open) == widget() ? open->QtMenu()
                                                                           : nullptr;
    }
};

QAccessibleInterface* Factory(const QString&, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (TPopupMenu* menu = TPopupMenu::OfQtMenu(w))
        return new MenuAccessible(static_cast<QMenu*>(w), *menu);
    if (auto* submenu = qobject_cast<QMenu*>(w); submenu && IsSubmenu(submenu))
        return new SubmenuAccessible(submenu);
    TControl* control = TControl::OfWidget(w);
    if (!control || control->Widget() != w) return nullptr;
    if (auto* b = qobject_cast<TToolButton*>(control)) return new ToolButtonAccessible(w, *b);
    if (auto* t = qobject_cast<TTabSet*>(control)) return new TabSetAccessible(w, *t);
    if (auto* l = qobject_cast<TListBox*>(control)) return new ListBoxAccessible(w, *l);
    if (auto* p = qobject_cast<TPaintBox*>(control)) return new PaintBoxAccessible(w, *p);
    if (qobject_cast<TCustomForm*>(control)) return new FormAccessible(w);
    return nullptr;
}

} // namespace

void InstallAccessibility() {
    QAccessible::installFactory(&Factory);
}

void NotifyItemSelected(QWidget* widget, int index) {
    if (!widget || index < 0 || !QAccessible::isActive()) return;
    QAccessibleEvent selection(widget, QAccessible::Selection);
    selection.setChild(index);
    QAccessible::updateAccessibility(&selection);
    if (!widget->hasFocus()) return;
    QAccessibleEvent focus(widget, QAccessible::Focus);
    focus.setChild(index);
    QAccessible::updateAccessibility(&focus);
}

void DrawFocusFrame(QPainter& p, const QRect& r, const QColor& color) {
    if (r.width() < 1 || r.height() < 1) return;
    p.save();
    p.setPen(color);
    p.setRenderHint(QPainter::Antialiasing, false);
    const int l = r.left(), t = r.top(), rt = r.right(), b = r.bottom();
    for (int x = l; x <= rt; x += 2) {
        p.drawPoint(x, t);
        p.drawPoint(x, b);
    }
    for (int y = t; y <= b; y += 2) {
        p.drawPoint(l, y);
        p.drawPoint(rt, y);
    }
    p.restore();
}

} // namespace orlenth
