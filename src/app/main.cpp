// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/ProductIcon.h"
#include "engine/ConverterChoice.h"
#include "engine/ConverterDeployment.h"
#include "service/ConverterService.h"
#include "platform/ProcessLimits.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/WidgetServices.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>

int main(int argc, char *argv[])
{
    // The converter service needs no display and makes no QApplication.
    if (converterservice::isRequested(argc, argv))
        return converterservice::run();
    processlimits::raiseOpenFileLimit();
    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopId));
    WidgetServices services;
    SettingsStore settings;
    // pdftotext, put in place when it is needed and removed when the window closes.
    ConverterDeployment deployment;
    MainWindow window(services, settings, deployment,
                      {QCoreApplication::applicationDirPath(),
                       [] {
                           std::fflush(nullptr);
                           std::_Exit(0);
                       },
                       commandLineFiles(commandLineArguments(argc, argv)),
                       converterchoice::ownServiceProgram()});
    window.show();
    return QApplication::exec();
}
