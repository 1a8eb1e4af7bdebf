#pragma once
// Builds a window from the description the program carries for its class.

namespace orlenth {

class TCustomForm;

// Reads the embedded description named by the form's class name in capitals ("TSTARYE"
// for TstarYe) into the form: its properties, its components, their handlers bound to
// the form's slots. Throws EReadError "Resource %s not found" when the program carries
// no such description, and whatever reading a damaged one raises (see ReadComponent);
// components already made stay owned by the form.
void ReadFormDescription(TCustomForm& form);

} // namespace orlenth
