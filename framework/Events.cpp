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
