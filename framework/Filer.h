#pragma once
// What a component sees of the object-stream reader and writer: the hooks through which
// it declares stored properties of its own and reads its own record.

#include <functional>
#include <string_view>

namespace orlenth {

class TComponent;
class TStream;

class TFiler {
public:
    // A binary property's routine gets a stream holding just that property's bytes.
    using BinaryProc = std::function<void(TStream&)>;

    virtual ~TFiler() = default;
    // Declares a stored binary property beyond the published ones. When writing, it is
    // written only when hasData is true.
    virtual void DefineBinaryProperty(std::string_view name, BinaryProc readData,
                                      BinaryProc writeData, bool hasData) = 0;
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
