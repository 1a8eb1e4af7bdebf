#pragma once
// The stored face names of the article fonts, matched to faces installed here.

#include <QFont>
#include <QString>

namespace orlenth::text {

// "宋体" (and its common aliases) maps to a Song/Ming face, "楷体_GB2312" / "楷体" to a Kai
// face; any other name is kept as given. The page and the wrap engine both take their font
// from here, so that the engine measures with the face the page draws with.
QString matchFaceName(const QString& storedFace);

// The font for a stored face and a character height in pixels (pixel size, not the cell).
QFont pageFont(const QString& storedFace, int characterHeightPx);

} // namespace orlenth::text
