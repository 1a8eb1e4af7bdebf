#include "framework/ui/Menus.h"

#include "framework/Errors.h"
#include "framework/Filer.h"
#include "framework/text/TextEncoding.h"
#include "framework/ui/Dialogs.h"

#include <QMenu>

#include <algorithm>
#include <utility>

namespace orlenth {

TMenuItem::TMenuItem(TComponent* owner)
    : TComponent(owner), TActionClient(static_cast<TComponent&>(*this)),
      windowShortCut_([this] { Click(); }) {
    QObject::connect(&qtAction_, &QAction::triggered, this, [this] {
        // Qt toggles a checkable action on its own; the item's state is the one that counts.
        qtAction_.setChecked(checked_);
        Click();
    });
}

TMenuItem::~TMenuItem() {
    SetMenu(nullptr);
}

void TMenuItem::SetAction(TAction* action) {
    TActionClient::SetAction(action);
    UpdateShortCut();
}

void TMenuItem::SetCaption(const QByteArray& c) {
    caption_ = c;
    UpdateQtAction();
}

void TMenuItem::SetChecked(bool c) {
    checked_ = c;
    UpdateQtAction();
}

void TMenuItem::SetEnabled(bool e) {
    enabled_ = e;
    UpdateQtAction();
    windowShortCut_.SetEnabled(enabled_ && visible_);
}

void TMenuItem::SetHint(const QByteArray& h) {
    hint_ = h;
    UpdateQtAction();
}

void TMenuItem::SetShortCut(int s) {
    shortCut_ = s;
    UpdateQtAction();
    UpdateShortCut();
}

void TMenuItem::SetVisible(bool v) {
    visible_ = v;
    UpdateQtAction();
    windowShortCut_.SetEnabled(enabled_ && visible_);
}

void TMenuItem::UpdateShortCut() {
    // Two bindings of one key in a window would make it ambiguous, and neither would run.
    if (Action() && Action()->ShortCut() == shortCut_)
        windowShortCut_.Unbind();
    else
        windowShortCut_.Bind(*this, shortCut_);
    windowShortCut_.SetEnabled(enabled_ && visible_);
}

void TMenuItem::UpdateQtAction() {
    qtAction_.setSeparator(IsSeparator());
    QString text = DisplayTextToUnicode(caption_);
    if (menu_ && menu_->AutoHotkeys() == TPopupMenu::maManual)
        text.replace(QStringLiteral("&"), QStringLiteral("&&"));
    // The text after a tab is the menu's shortcut column: the shortcut's own name, never
    // run from the menu (the window-wide binding does that).
    const QString keys = ShortCutToText(shortCut_);
    if (!keys.isEmpty()) text += u'\t' + keys;
    // A separator with a text is drawn as a titled section by some styles: the "-" that
    // marks it must not show.
    qtAction_.setText(IsSeparator() ? QString() : text);
    qtAction_.setCheckable(checked_);
    qtAction_.setChecked(checked_);
    qtAction_.setEnabled(enabled_);
    qtAction_.setVisible(visible_);
    qtAction_.setStatusTip(DisplayTextToUnicode(hint_));
    qtAction_.setToolTip(DisplayTextToUnicode(hint_));
}

void TMenuItem::Click() {
    if (!enabled_ || IsSeparator()) return;
    if (Fire("OnClick", Q_ARG(orlenth::TComponent*, this))) return;
    if (TAction* a = Action()) a->Execute();
}

void TMenuItem::SetMenu(TPopupMenu* menu) {
    if (menu == menu_) return;
    if (menu_) {
        auto& v = menu_->items_;
        v.erase(std::remove(v.begin(), v.end(), this), v.end());
    }
    menu_ = menu;
    if (menu_) menu_->items_.push_back(this);
    UpdateQtAction();
}

void TMenuItem::ReadState(TReader& reader) {
    if (auto* menu = qobject_cast<TPopupMenu*>(reader.Parent())) SetMenu(menu);
    TComponent::ReadState(reader);
}

void TMenuItem::Loaded() {
    TComponent::Loaded();
    // The action is bound only now, and the window may not have been reachable before.
    UpdateShortCut();
}

namespace {

// The Qt menu knows the pop-up menu it shows, so that screen readers asked about it find
// the items behind its actions.
class PopupQMenu : public QMenu {
public:
    explicit PopupQMenu(TPopupMenu& owner) : owner_(owner) {}
    TPopupMenu& Owner() const { return owner_; }

private:
    TPopupMenu& owner_;
};

QPointer<TPopupMenu> gOpenMenu;

} // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TPopupMenuBase(owner) {}

TPopupMenu::~TPopupMenu() {
    while (!items_.empty()) items_.back()->SetMenu(nullptr);
}

TPopupMenu* TPopupMenu::OpenMenu() {
    return gOpenMenu.data();
}

TPopupMenu* TPopupMenu::OfQtMenu(const QObject* object) {
    const auto* menu = dynamic_cast<const PopupQMenu*>(object);
    return menu ? &menu->Owner() : nullptr;
}

void TPopupMenu::Choose(TMenuItem* item) {
    if (!item || item->Menu() != this || !item->Enabled() || item->IsSeparator()) return;
    if (!open_) {
        item->Click();
        return;
    }
    chosen_ = item;
    if (menu_) menu_->hide();
}

void TPopupMenu::ChooseLater(QAction* action) {
    if (!action || !action->isEnabled() || action->isSeparator()) return;
    if (!open_) {
        action->trigger();
        return;
    }
    chosenAction_ = action;
    // Its submenus close with it.
    if (menu_) menu_->hide();
}

void TPopupMenu::SetAutoHotkeys(TMenuAutoFlag f) {
    autoHotkeys_ = f;
    for (TMenuItem* i : items_) i->UpdateQtAction();
}

TMenuItem* TPopupMenu::Item(int index) const {
    if (index < 0 || index >= Count()) throw EListError::indexOutOfBounds(index);
    return items_[static_cast<std::size_t>(index)];
}

void TPopupMenu::Popup(const QPoint& globalPos) {
    if (!menu_) menu_ = std::make_unique<PopupQMenu>(*this);
    // Built afresh each time: items may have joined, left or moved since the last time.
    menu_->clear();
    for (TMenuItem* i : items_) menu_->addAction(i->QtAction());
    chosen_ = nullptr;
    chosenAction_ = nullptr;
    {
        // Open while shown, however the menu ends (an item's click may throw, or delete it).
        struct Shown {
            QPointer<TPopupMenu> self, outer;
            explicit Shown(TPopupMenu& m) : self(&m), outer(gOpenMenu) {
                gOpenMenu = &m;
                m.open_ = true;
            }
            ~Shown() {
                if (self) self->open_ = false;
                gOpenMenu = outer;
            }
        } shown(*this);
        Dialogs().ExecMenu(*menu_, globalPos);
        if (!shown.self) return;
    }
    if (const QPointer<TMenuItem> chosen = std::exchange(chosen_, nullptr)) chosen->Click();
    if (const QPointer<QAction> chosen = std::exchange(chosenAction_, nullptr)) chosen->trigger();
}

void TPopupMenu::GetChildren(const ChildProc& proc, TComponent*) {
    for (TMenuItem* i : items_) proc(i);
}

} // namespace orlenth
