// Entry point of every widget test: one QApplication for the whole run, offscreen by default.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Ampwise");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
