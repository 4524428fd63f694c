// SPDX-License-Identifier: GPL-3.0-or-later
// Stores one setting, reports that it returned, then waits until it is killed.
#include "platform/SettingsStore.h"

#include <cstdio>
#include <QCoreApplication>
#include <thread>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 3)
        return 2;
    SettingsStore store;
    store.saveSetting(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]));
    std::puts("saved");
    std::fflush(stdout);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}
