// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainWindow.h"
#include "engine/ConverterDeployment.h"
#include "FakeServices.h"
#include "platform/SettingsStore.h"
#include "TestPlace.h"
#include "WindowControls.h"

#include <functional>
#include <memory>

// The real main window with scripted dialogs, in a place of its own. The window is built (and its
// start-up runs) by open(), so a test can queue answers and lay files first.
class WindowFixture
{
public:
    WindowFixture() = default;

    // Builds and shows the window; start-up runs with whatever the test prepared.
    MainWindow &open();
    // Closes the window as the user would; the process is not ended, the close is counted.
    void close();

    MainWindow &window() { return *m_window; }
    // The window's controls by name; valid after open().
    WindowControls &ui() { return *m_controls; }
    int endCount() const { return m_ends; }

    TestPlace place;
    FakeServices services;
    SettingsStore settings;
    // Put in place by the window's start-up, removed when it closes (or when the fixture goes).
    ConverterDeployment deployment;
    // Paths as if named on the command line.
    QStringList startFiles;

private:
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<WindowControls> m_controls;
    int m_ends = 0;
};
