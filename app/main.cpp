// The program entry. --help and --version answer without a display; everything else is
// the reader (app/Program.h).

#include "app/Program.h"
#include "framework/Version.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

namespace {

void printHelp() {
    std::printf(
        "Usage: orlenth [--no-settings] [PATH]\n"
        "\n"
        "Reads the built-in collection of Chinese articles. When PATH names a folder,\n"
        "or a file in an existing folder (a relative PATH counts from the working\n"
        "directory), a sixth tab lists that folder's *.txt files (GBK, UTF-8, or\n"
        "UTF-16 with a byte-order mark) and opens the file PATH names, listed\n"
        "whatever its name, or the first.\n"
        "\n"
        "Without PATH the reader opens where it was left. The appearance, the window,\n"
        "the place read in every file, bookmarks and recent files are kept in\n"
        "$XDG_CONFIG_HOME/orlenth/orlenth.conf (~/.config/orlenth/orlenth.conf).\n"
        "\n"
        "  --no-settings  read and write no settings: start as designed, keep nothing\n"
        "  --help         show this text and exit\n"
        "  --version      show the version and exit\n"
        "\n"
        "Environment:\n"
        "  ORLENTH_SCREENSHOT=FILE   save a PNG of the main window after start-up and\n"
        "                            exit (no display needed with QT_QPA_PLATFORM=offscreen);\n"
        "                            no settings are read or written, unless\n"
        "  ORLENTH_SCREENSHOT_SETTINGS=FILE  names a settings file to show (only read)\n"
        "                            exit status 1 when FILE cannot be written\n");
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        printHelp();
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("Orlenth %s (collection 001, 2004.11)\n", orlenth::kVersion);
        return 0;
    }
    QApplication qt(argc, argv);
    return orlenth::RunProgram(argc, argv);
}
