#pragma once
// The system's failures: exception classes carrying the fixed messages of one table.
// Every message text lives in Errors.cpp and nowhere else.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace orlenth {

// Keys of the fixed message table. The comment gives the text as shown to the user.
enum class Msg {
    ListIndexError,       // "List index out of bounds (%d)"
    ReadError,            // "Stream read error"
    WriteError,           // "Stream write error"
    FOpenError,           // "Cannot open file %s"
    AssignError,          // "Cannot assign a %s to a %s"
    LZRWError,            // "LZRW Error!"
    MemoCapacity,         // "Text exceeds memo capacity"
    NoTimers,             // "Not enough timers available"
    InvalidStreamFormat,  // "Invalid stream format"
    ClassNotFound,        // "Class %s not found"
    PropertyNotExist,     // "Property %s does not exist"
    InvalidPropertyValue, // "Invalid property value"
    ErrorReading,         // "Error reading %s%s%s: %s"
    DescriptionSyntax,    // "%s:%d: %s" (a description text: file, line, what is wrong)
    MethodNotFound,       // "Method %s not found" (an event names no handler of the form)
    MethodMismatch,       // "Method %s does not take the parameters of %s" (handler, event)
    ComponentNotFound,    // "Component %s not found" (a reference names no component)
    ResourceNotFound,     // "Resource %s not found" (no embedded description of that name)
    TooManyRecords,       // "Stream holds more than %s records and values"
    ScriptConversion,     // "Cannot convert the text to %s: %s" (the script, what failed)
};

// The raw format text of a message, with its %s and %d placeholders.
std::string_view messageFormat(Msg id);

// Fills the placeholders of the message in order. Missing arguments leave the
// placeholder empty; surplus arguments are ignored. Never throws for bad counts.
// Arguments are passed through EscapeControls, since they carry names and text from
// streams and file names that reach a terminal or a message box.
std::string formatMessage(Msg id, std::initializer_list<std::string_view> args = {});

// `text` with each control byte (below 0x20, and 0x7F) written as "\xHH", so that a
// message never moves a terminal's cursor, changes its colours or breaks a line. Every
// other byte stays: GBK and UTF-8 never use these bytes inside a character. Applying it
// twice gives the same as once.
std::string EscapeControls(std::string_view text);

// Base of every exception of the system. The message is the exact user-facing text.
class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

class EListError : public Exception {
public:
    using Exception::Exception;
    // "List index out of bounds (%d)" with the index.
    static EListError indexOutOfBounds(std::int64_t index);
};

class EStreamError : public Exception {
public:
    using Exception::Exception;
};

class EFilerError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EReadError : public EFilerError {
public:
    using EFilerError::EFilerError;
    EReadError() : EFilerError(formatMessage(Msg::ReadError)) {}
};

class EWriteError : public EFilerError {
public:
    using EFilerError::EFilerError;
    EWriteError() : EFilerError(formatMessage(Msg::WriteError)) {}
};

class EClassNotFound : public EFilerError {
public:
    using EFilerError::EFilerError;
};

class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
    // "Cannot open file %s" with the name as given by the caller.
    static EFOpenError forFile(std::string_view name);
};

class EConvertError : public Exception {
public:
    using Exception::Exception;
    // "Cannot assign a %s to a %s": source class name, then target class name.
    static EConvertError cannotAssign(std::string_view source, std::string_view target);
};

// A description text that cannot be packed; the message names file and line.
class EDescriptionError : public Exception {
public:
    using Exception::Exception;
};

class EInvalidPointer : public Exception {
public:
    using Exception::Exception;
};

class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

// A text that cannot be shown in the script the reader chose (a dictionary missing, say).
class EScriptError : public Exception {
public:
    using Exception::Exception;
    // "Cannot convert the text to %s: %s": the script's name, then the reason.
    static EScriptError cannotConvert(std::string_view script, std::string_view reason);
};

} // namespace orlenth
