#pragma once
// The classes the program's window descriptions name, made known to the class registry
// with the named values their properties use (colours, cursors) and the decoder of their
// pictures.

namespace orlenth {

// Idempotent; run before the first window is built.
void RegisterWindowClasses();

} // namespace orlenth
