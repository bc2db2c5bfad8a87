// One QApplication for all window tests of a binary (offscreen platform, set by ctest).
#pragma once

#include <QApplication>
#include <cstdlib>

inline QApplication& TestApp() {
  static int argc = 1;
  static char name[] = "orvane-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QApplication(argc, argv);
  }();
  return *app;
}
