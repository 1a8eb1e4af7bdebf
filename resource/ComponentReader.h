#pragma once
// Applies a record tree to live components: classes from the class registry, published
// properties by name through Qt's reflection, stored properties through DefineProperties,
// the objects' own reading hooks, and the end-of-loading notifications.

#include "resource/ObjectTree.h"

namespace orlenth {

class TComponent;

// Reads `record` into `target`, an existing object: its name, properties and children.
// The record's class name is read, not compared. Children are created through the class
// registry, owned by their parent's child owner or else by `target`. When the record is
// done, every object read gets Loaded().
// Errors (the first ends the reading; objects already created stay owned and are
// destroyed with their owner):
// - "Class %s not found" (EClassNotFound) for a class the registry does not hold;
// - "Error reading %s%s%s: %s" around any error raised while a property is applied:
//   "Property %s does not exist" for a name that resolves neither to a published nor to
//   a declared property, "Invalid property value" for a value that does not fit the
//   property's type or names no value of its enumeration or set, and whatever a stored
//   property's reading routine raises;
// - the same frame around "Component %s not found" for a reference (a property holding a
//   pointer to a component) whose name no component of `target` has. References are
//   resolved after every record is read, so a reference may name a later component.
// With lastingBinaries the caller vouches that the record's binary payloads lie in bytes
// that live as long as the program (the embedded descriptions): objects may then keep
// views into them (an item keeps its text packed until it is first used).
void ReadComponent(const TObjectRecord& record, TComponent& target, bool lastingBinaries = false);

} // namespace orlenth
