#include "framework/Events.h"

#include <QMetaObject>

namespace orlenth {

bool DeclaresEvent(const QObject& obj, const std::string& name) {
    return obj.metaObject()->indexOfClassInfo(("Event." + name).c_str()) >= 0;
}

QMetaMethod FindHandler(const QObject& target, const std::string& name) {
    const QMetaObject* mo = target.metaObject();
    for (int i = 0; i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if ((m.methodType() == QMetaMethod::Slot || m.methodType() == QMetaMethod::Method) &&
            m.name() == QByteArray::fromStdString(name))
            return m;
    }
    return {};
}

QByteArray EventParameters(const QObject& obj, const std::string& name) {
    const QMetaObject* mo = obj.metaObject();
    const int index = mo->indexOfClassInfo(("Event." + name).c_str());
    if (index < 0) return {};
    const QByteArray declared = mo->classInfo(index).value();
    if (declared.isEmpty()) return QByteArrayLiteral("orlenth::TComponent*");
    // Normalized as Qt normalizes a method's signature, so that spacing in the declaration
    // cannot make a fitting handler look wrong.
    const QByteArray normal = QMetaObject::normalizedSignature(("f(" + declared + ")").constData());
    return normal.mid(2, normal.size() - 3);
}

bool HandlerFits(const QObject& obj, const std::string& name, const QMetaMethod& method) {
    const QByteArray wanted = EventParameters(obj, name);
    if (wanted.isEmpty() || !method.isValid()) return false;
    const QByteArray signature = method.methodSignature();
    const qsizetype open = signature.indexOf('(');
    return signature.mid(open + 1, signature.size() - open - 2) == wanted;
}

namespace {

TDispatcher& dispatcher() {
    static TDispatcher d = [](const std::function<void()>& call) { call(); };
    return d;
}

} // namespace

void SetEventDispatcher(TDispatcher d) {
    dispatcher() = d ? std::move(d) : [](const std::function<void()>& call) { call(); };
}

void DispatchEvent(const std::function<void()>& call) {
    dispatcher()(call);
}

} // namespace orlenth
