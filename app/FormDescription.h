#pragma once
// Builds a window from the description the program carries for its class.

#include <functional>
#include <string>
#include <string_view>

namespace orlenth {

class TCustomForm;

// Reads the embedded description named by the form's class name in capitals ("TSTARYE"
// for TstarYe) into the form: its properties, its components, their handlers bound to
// the form's slots. Throws EReadError "Resource %s not found" when the program carries
// no such description, and whatever reading a damaged one raises (see ReadComponent);
// components already made stay owned by the form.
void ReadFormDescription(TCustomForm& form);

// Where descriptions come from: the embedded streams unless a test puts other bytes in
// their place (null restores the embedded ones). The bytes must outlive the reading.
using TDescriptionSource = std::function<std::string_view(const std::string& name)>;
void SetDescriptionSource(TDescriptionSource source);

} // namespace orlenth
