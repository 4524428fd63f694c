// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowFixture.h"

#include "TestConfig.h"

#include <QTest>

MainWindow &WindowFixture::open()
{
    m_window = std::make_unique<MainWindow>(services, settings, deployment,
                                            MainWindow::Options{place.installFolder(),
                                                                [this] { ++m_ends; }, startFiles,
                                                                QStringLiteral(MORWENDA_BINARY)});
    m_controls = std::make_unique<WindowControls>(*m_window);
    m_window->show();
    if (!QTest::qWaitForWindowExposed(m_window.get()))
        qWarning("the main window was not exposed");
    return *m_window;
}

void WindowFixture::close()
{
    if (m_window)
        m_window->close();
}
