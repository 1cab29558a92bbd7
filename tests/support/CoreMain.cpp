// Test main for programs that use sockets and timers but no windows.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QStandardPaths>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // Nothing a test runs may touch the user's own settings or wish lists.
  QStandardPaths::setTestModeEnabled(true);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
