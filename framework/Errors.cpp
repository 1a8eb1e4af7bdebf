#include "framework/Errors.h"

#include <array>
#include <utility>

namespace orlenth {

namespace {

struct Entry {
    Msg id;
    std::string_view text;
};

// The one table of fixed messages.
constexpr std::array kMessages{
    Entry{Msg::ListIndexError, "List index out of bounds (%d)"},
    Entry{Msg::ReadError, "Stream read error"},
    Entry{Msg::WriteError, "Stream write error"},
    Entry{Msg::FOpenError, "Cannot open file %s"},
    Entry{Msg::AssignError, "Cannot assign a %s to a %s"},
    Entry{Msg::LZRWError, "LZRW Error!"},
    Entry{Msg::MemoCapacity, "Text exceeds memo capacity"},
    Entry{Msg::NoTimers, "Not enough timers available"},
    Entry{Msg::InvalidStreamFormat, "Invalid stream format"},
    Entry{Msg::ClassNotFound, "Class %s not found"},
    Entry{Msg::PropertyNotExist, "Property %s does not exist"},
    Entry{Msg::InvalidPropertyValue, "Invalid property value"},
    Entry{Msg::ErrorReading, "Error reading %s%s%s: %s"},
    Entry{Msg::DescriptionSyntax, "%s:%d: %s"},
    Entry{Msg::MethodNotFound, "Method %s not found"},
    Entry{Msg::MethodMismatch, "Method %s does not take the parameters of %s"},
    Entry{Msg::ComponentNotFound, "Component %s not found"},
    Entry{Msg::ResourceNotFound, "Resource %s not found"},
    Entry{Msg::TooManyRecords, "Stream holds more than %s records and values"},
    Entry{Msg::ScriptConversion, "Cannot convert the text to %s: %s"},
};

} // namespace

std::string_view messageFormat(Msg id) {
    for (const auto& e : kMessages)
        if (e.id == id) return e.text;
    return {};
}

std::string EscapeControls(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x20 && c != 0x7F) {
            out += ch;
            continue;
        }
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
    }
    return out;
}

std::string formatMessage(Msg id, std::initializer_list<std::string_view> args) {
    const std::string_view fmt = messageFormat(id);
    std::string out;
    out.reserve(fmt.size() + 32);
    auto arg = args.begin();
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] == '%' && i + 1 < fmt.size() && (fmt[i + 1] == 's' || fmt[i + 1] == 'd')) {
            if (arg != args.end()) out += EscapeControls(*arg++);
            ++i;
        } else {
            out += fmt[i];
        }
    }
    return out;
}

EListError EListError::indexOutOfBounds(std::int64_t index) {
    return EListError(formatMessage(Msg::ListIndexError, {std::to_string(index)}));
}

EFOpenError EFOpenError::forFile(std::string_view name) {
    return EFOpenError(formatMessage(Msg::FOpenError, {name}));
}

EConvertError EConvertError::cannotAssign(std::string_view source, std::string_view target) {
    return EConvertError(formatMessage(Msg::AssignError, {source, target}));
}

EScriptError EScriptError::cannotConvert(std::string_view script, std::string_view reason) {
    return EScriptError(formatMessage(Msg::ScriptConversion, {script, reason}));
}

} // namespace orlenth
