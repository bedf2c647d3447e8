// Runs the window's suite: an offscreen QApplication.
#include <QApplication>
#define VORTAN_SUITE_APPLICATION QApplication
#include "support/gui_main.cpp"
