#include "app/Unit1satrye.h"

#include "app/FormDescription.h"
#include "framework/ui/Image.h"
#include "framework/ui/Label.h"
#include "framework/ui/Timer.h"

namespace orlenth {

TstarYe::TstarYe(TComponent* owner) : TCustomForm(owner) {
    ReadFormDescription(*this);
}

void TstarYe::Image1Click(TComponent*) {
    Close();
}

void TstarYe::FormKeyPress(TComponent*, char& key) {
    if (key == 13 || key == 27) Close();
}

void TstarYe::FormClose(TComponent*, TCustomForm::TCloseAction& action) {
    // The creator destroys the window as soon as its modal showing returns; a release
    // asked for here must not outlive it, so the window is only hidden.
    action = caFree;
}

} // namespace orlenth
