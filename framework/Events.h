#pragma once
// Event properties: a component declares an event with Q_CLASSINFO("Event.NAME", "") and a
// stored description binds it by name to a method of the form that owns the component
// ("OnClick = ListBox1Click"). Firing an event calls that method through the one dispatch
// point the program installs, so that nothing a handler throws crosses Qt's event loop.

#include <QMetaMethod>
#include <QPointer>

#include <functional>
#include <string>

namespace orlenth {

struct TEventBinding {
    QPointer<QObject> target;
    QMetaMethod method;
    explicit operator bool() const { return target && method.isValid(); }
};

// True when the class of `obj` declares the event NAME.
bool DeclaresEvent(const QObject& obj, const std::string& name);
// The invokable method (slot or Q_INVOKABLE) of `target` called NAME, whatever its
// parameters; invalid when there is none.
QMetaMethod FindHandler(const QObject& target, const std::string& name);
// The parameter types a handler of the event NAME of `obj` takes, comma-separated as in a
// normalized signature: the value of the class's Q_CLASSINFO("Event.NAME", ...), where an
// empty value means the sender alone ("orlenth::TComponent*"). Empty when `obj` declares no
// such event.
QByteArray EventParameters(const QObject& obj, const std::string& name);
// Whether `method` takes exactly the parameters of the event NAME of `obj`. A call with
// other arguments would fail inside Qt without a word, so binding checks this first.
bool HandlerFits(const QObject& obj, const std::string& name, const QMetaMethod& method);

// Where handler calls go. The default runs the call as it is; the application installs a
// dispatcher that reports what a handler throws and lets the loop go on.
using TDispatcher = std::function<void(const std::function<void()>&)>;
void SetEventDispatcher(TDispatcher dispatcher);
void DispatchEvent(const std::function<void()>& call);

} // namespace orlenth
