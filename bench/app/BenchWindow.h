#pragma once
// What the window benchmarks share: the program's start-up without a person to answer
// its modal windows (the splash returns at once, messages go nowhere), and the main window.

#include "app/Program.h"
#include "app/Unit1main.h"
#include "framework/ui/Dialogs.h"

#include <array>
#include <memory>

namespace benchwindow {

class QuietDialogs final : public orlenth::TDialogs {
public:
    void MessageBox(const orlenth::TMessageBoxRequest&) override {}
    int RunModal(QWidget&) override { return 2; }
};

// The program set up as at start-up, then a main window built from its description.
inline std::unique_ptr<orlenth::TOrlenth> MakeMainWindow() {
    orlenth::SetUpProgram(1, std::array<const char*, 1>{"orlenth"}.data());
    orlenth::SetDialogs(std::make_unique<QuietDialogs>());
    return std::make_unique<orlenth::TOrlenth>();
}

} // namespace benchwindow
