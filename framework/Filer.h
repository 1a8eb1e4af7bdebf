#pragma once
// What an object sees of the object-stream reader and writer: the hooks through which it
// declares stored properties of its own and reads its own record.

#include <cstdint>
#include <functional>
#include <string_view>

namespace orlenth {

class TComponent;
class TStream;

class TFiler {
public:
    // A binary property's routine gets a stream holding just that property's bytes.
    using BinaryProc = std::function<void(TStream&)>;
    using IntegerReadProc = std::function<void(std::int32_t)>;
    using IntegerWriteProc = std::function<std::int32_t()>;

    virtual ~TFiler() = default;
    // Declares a stored binary property beyond the published ones. When writing, it is
    // written only when hasData is true.
    virtual void DefineBinaryProperty(std::string_view name, BinaryProc readData,
                                      BinaryProc writeData, bool hasData) = 0;
    // The same for a property holding one integer value.
    virtual void DefineIntegerProperty(std::string_view name, IntegerReadProc read,
                                       IntegerWriteProc write, bool hasData) = 0;
};

class TReader : public TFiler {
public:
    // The object whose children are being read (the parent of the record being read).
    virtual TComponent* Parent() const = 0;
    // Reads the current record's properties, then its children, into the component.
    virtual void ReadProperties(TComponent& component) = 0;
    virtual void ReadChildren(TComponent& component) = 0;
};

} // namespace orlenth
