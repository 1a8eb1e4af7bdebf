#include <QGuiApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // Fonts and metrics need a GUI application; no display is needed to measure them.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
