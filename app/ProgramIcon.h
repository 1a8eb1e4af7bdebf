#pragma once
// The program's icon, drawn at start-up: a red seal with the character 文, in the two
// sizes a desktop asks for (16 and 32 pixels).

#include <QIcon>

namespace orlenth {

// Needs a QGuiApplication (fonts).
QIcon ProgramIcon();

} // namespace orlenth
