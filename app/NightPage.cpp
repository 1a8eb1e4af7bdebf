#include "app/NightPage.h"

namespace orlenth {

TPageColors NightPreset() {
    // 0x00BBGGRR.
    return {0x00262A2C, 0x00474D50, 0x00181A1B, 0x00B0B8BC};
}

} // namespace orlenth
