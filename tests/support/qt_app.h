#pragma once

// Every test program's main() (tests/support/test_main.cpp) creates the one QApplication on the
// offscreen platform; tests must not create another.
#include <QApplication>
