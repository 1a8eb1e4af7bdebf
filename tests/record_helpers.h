#pragma once
// Small helpers of the object-stream and description-text tests: record trees built by
// hand, and the message a call fails with.

#include "framework/Errors.h"
#include "resource/ObjectStream.h"
#include "test_data.h"

#include <functional>
#include <string>

// A byte string from a literal, zero bytes included, without counting by hand.
#define B(literal) std::string(literal, sizeof(literal) - 1)

namespace recordtest {

inline std::string streamOf(const orlenth::TObjectRecord& root) {
    return orlenth::SerializeObjectStream(root);
}

inline orlenth::TPropertyRecord prop(const std::string& name, orlenth::TValue v) {
    return {name, std::move(v)};
}

// The message of the exception f throws, or "no error".
inline std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const orlenth::Exception& e) {
        return e.Message();
    }
    return "no error";
}

inline std::string gbkOf(const char* utf8) {
    const auto b = testdata::gbk(QString::fromUtf8(utf8));
    return std::string(b.begin(), b.end());
}

} // namespace recordtest
