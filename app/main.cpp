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
        "directory), a sixth tab lists that folder's *.txt files and opens the file\n"
        "PATH names, listed whatever its name, or the first.\n"
        "\n"
        "A file's encoding is recognised from its bytes, among: GB18030, UTF-8,\n"
        "UTF-16 LE, UTF-16 BE, Big5, Big5-HKSCS, Shift_JIS, EUC-JP, EUC-KR.\n"
        "GB18030 covers GBK, and a valid GBK file is never taken for another encoding;\n"
        "UTF-8 and UTF-16 are recognised with a byte-order mark or without. The menu's\n"
        "Encoding (\xE7\xBC\x96\xE7\xA0\x81) reads a file again in another of them.\n"
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
        "                            exit status 1 when FILE cannot be written\n"
        "  ORLENTH_STALL_REPORT=1    tell on standard error each time the window's thread\n"
        "                            goes over 50 ms without returning to its event\n"
        "                            loop, and the longest such time at exit\n");
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
