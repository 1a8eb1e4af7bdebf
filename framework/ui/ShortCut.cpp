#include "framework/ui/ShortCut.h"

#include "framework/Component.h"
#include "framework/ui/Control.h"

#include <QWidget>

#include <array>
#include <optional>

namespace orlenth {

namespace {

struct NamedKey {
    int code;
    Qt::Key key;
    const char* name;
};

// Keys with a name of their own; digits, letters and function keys follow a rule.
constexpr std::array kNamedKeys{
    NamedKey{0x08, Qt::Key_Backspace, "BkSp"}, NamedKey{0x09, Qt::Key_Tab, "Tab"},
    NamedKey{0x0D, Qt::Key_Return, "Enter"},   NamedKey{0x1B, Qt::Key_Escape, "Esc"},
    NamedKey{0x20, Qt::Key_Space, "Space"},    NamedKey{0x21, Qt::Key_PageUp, "PgUp"},
    NamedKey{0x22, Qt::Key_PageDown, "PgDn"},  NamedKey{0x23, Qt::Key_End, "End"},
    NamedKey{0x24, Qt::Key_Home, "Home"},      NamedKey{0x25, Qt::Key_Left, "Left"},
    NamedKey{0x26, Qt::Key_Up, "Up"},          NamedKey{0x27, Qt::Key_Right, "Right"},
    NamedKey{0x28, Qt::Key_Down, "Down"},      NamedKey{0x2D, Qt::Key_Insert, "Ins"},
    NamedKey{0x2E, Qt::Key_Delete, "Del"},
};

constexpr int kKeyMask = 0xFF;
constexpr int kModifierMask = kShortCutShift | kShortCutCtrl | kShortCutAlt;
constexpr int kFirstFunctionKey = 0x70, kLastFunctionKey = 0x87; // F1 … F24

struct Key {
    Qt::Key key;
    QString name;
};

std::optional<Key> keyOf(int code) {
    for (const auto& k : kNamedKeys)
        if (k.code == code) return Key{k.key, QString::fromLatin1(k.name)};
    if ((code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z'))
        return Key{static_cast<Qt::Key>(code), QString(QChar(code))};
    if (code >= kFirstFunctionKey && code <= kLastFunctionKey)
        return Key{static_cast<Qt::Key>(Qt::Key_F1 + (code - kFirstFunctionKey)),
                   QStringLiteral("F%1").arg(code - kFirstFunctionKey + 1)};
    return std::nullopt;
}

std::optional<Key> validKeyOf(int shortCut) {
    if (shortCut <= 0 || (shortCut & ~(kModifierMask | kKeyMask)) != 0) return std::nullopt;
    return keyOf(shortCut & kKeyMask);
}

Qt::KeyboardModifiers modifiersOf(int shortCut) {
    Qt::KeyboardModifiers m;
    if (shortCut & kShortCutShift) m |= Qt::ShiftModifier;
    if (shortCut & kShortCutCtrl) m |= Qt::ControlModifier;
    if (shortCut & kShortCutAlt) m |= Qt::AltModifier;
    return m;
}

constexpr std::array<std::pair<int, const char*>, 3> kModifierNames{
    {{kShortCutShift, "Shift+"}, {kShortCutCtrl, "Ctrl+"}, {kShortCutAlt, "Alt+"}}};

} // namespace

QKeySequence ShortCutToKeySequence(int shortCut) {
    const auto key = validKeyOf(shortCut);
    if (!key) return {};
    return QKeySequence(QKeyCombination(modifiersOf(shortCut), key->key));
}

QString ShortCutToText(int shortCut) {
    const auto key = validKeyOf(shortCut);
    if (!key) return {};
    QString text;
    for (const auto& [bit, name] : kModifierNames)
        if (shortCut & bit) text += QString::fromLatin1(name);
    return text + key->name;
}

int TextToShortCut(const QString& text) {
    QStringView rest(text);
    int modifiers = 0;
    for (bool found = true; found;) {
        found = false;
        for (const auto& [bit, name] : kModifierNames) {
            const QString n = QString::fromLatin1(name);
            if (!(modifiers & bit) && rest.startsWith(n, Qt::CaseInsensitive)) {
                modifiers |= bit;
                rest = rest.mid(n.size());
                found = true;
            }
        }
    }
    if (rest.isEmpty()) return 0;
    for (int code = 1; code <= kKeyMask; ++code)
        if (const auto key = keyOf(code); key && rest.compare(key->name, Qt::CaseInsensitive) == 0)
            return modifiers | code;
    return 0;
}

QWidget* WindowWidgetOf(const TComponent& component) {
    const TComponent* root = &component;
    while (root->Owner()) root = root->Owner();
    const auto* control = qobject_cast<const TControl*>(root);
    return control ? control->Widget() : nullptr;
}

TWindowShortCut::TWindowShortCut(std::function<void()> fire) {
    action_.setShortcutContext(Qt::WindowShortcut);
    QObject::connect(&action_, &QAction::triggered, [fire = std::move(fire)] { fire(); });
}

void TWindowShortCut::Unbind() {
    if (window_) window_->removeAction(&action_);
    window_ = nullptr;
    action_.setShortcuts(QList<QKeySequence>{});
}

void TWindowShortCut::Bind(const TComponent& component, int shortCut) {
    Unbind();
    const QKeySequence sequence = ShortCutToKeySequence(shortCut);
    QWidget* window = WindowWidgetOf(component);
    if (sequence.isEmpty() || !window) return;
    QList<QKeySequence> sequences{sequence};
    // The main Enter key and the keypad's are one key to the user.
    if (sequence[0].key() == Qt::Key_Return)
        sequences.append(
            QKeySequence(QKeyCombination(sequence[0].keyboardModifiers(), Qt::Key_Enter)));
    action_.setShortcuts(sequences);
    window->addAction(&action_);
    window_ = window;
}

} // namespace orlenth
