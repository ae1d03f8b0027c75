// main() of every test program: one QApplication on the offscreen platform for widget tests.
#include <gtest/gtest.h>

#include <QApplication>

#include "core/firebird_lock.h"

int main(int argc, char** argv) {
    useWritableFirebirdLockFolder();  // before any attach, as the program does
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("TERMARO_SPLASH_MS")) qputenv("TERMARO_SPLASH_MS", "0");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
