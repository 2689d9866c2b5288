// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace testsupport {

/// Points the per-user settings at a fresh temporary folder. Call it before the
/// application object exists: Qt reads the location once.
void useTemporaryConfigHome();

/// The settings file the program uses under that folder.
QString settingsFilePath();

/// Removes every stored value, so that each test starts from a first run.
void clearStoredSettings();

} // namespace testsupport

/// A test main for widget tests that touch the stored settings.
#define ONDREL_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        testsupport::useTemporaryConfigHome();                                                     \
        QApplication application(argc, argv);                                                      \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
