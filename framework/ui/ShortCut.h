#pragma once
// Keyboard shortcuts as stored descriptions give them: one 16-bit value whose low byte is
// a virtual-key code (13 Enter, 0x41 'A', 0x70 F1 …) and whose high bits are the
// modifiers. And the window-wide binding that makes a shortcut work wherever the focus is.

#include <QAction>
#include <QKeySequence>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

namespace orlenth {

class TComponent;

inline constexpr int kShortCutShift = 0x2000;
inline constexpr int kShortCutCtrl = 0x4000;
inline constexpr int kShortCutAlt = 0x8000;

// The key sequence of a shortcut. Empty for 0, for a key code without a key here, and
// for a value with bits beyond the key code and the three modifiers.
QKeySequence ShortCutToKeySequence(int shortCut);
// The shortcut as a menu shows it: "Shift+", "Ctrl+", "Alt+" (in that order) before the
// key's name ("Enter", "F4", "A", "PgDn", "Del" …). Empty whenever ShortCutToKeySequence
// is empty.
QString ShortCutToText(int shortCut);
// The value a text of ShortCutToText names, ignoring case; 0 for any other text.
int TextToShortCut(const QString& text);

// The top widget of the window a component belongs to: the widget of the last owner up
// the chain when that one is a control. Null when the chain ends elsewhere.
QWidget* WindowWidgetOf(const TComponent& component);

// A shortcut that works while any widget of a window has focus: a Qt action of window
// context on the window's top widget. Enter is bound on both Enter keys.
class TWindowShortCut {
public:
    // `fire` runs whenever the key is pressed in the window while the binding is enabled.
    explicit TWindowShortCut(std::function<void()> fire);
    TWindowShortCut(const TWindowShortCut&) = delete;
    TWindowShortCut& operator=(const TWindowShortCut&) = delete;

    // Binds `shortCut` in the window of `component`, leaving any window bound before. A
    // value without a key sequence, or a component in no window (yet), binds nothing.
    void Bind(const TComponent& component, int shortCut);
    void Unbind();
    void SetEnabled(bool enabled) { action_.setEnabled(enabled); }
    // The window the shortcut is bound in, or null.
    QWidget* Window() const { return window_; }

private:
    QAction action_;
    QPointer<QWidget> window_;
};

} // namespace orlenth
