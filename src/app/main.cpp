#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "platform/SettingsStore.h"
#include "platform/WidgetServices.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WidgetServices services;
    SettingsStore settings;
    MainWindow window(services, settings,
                      {QCoreApplication::applicationDirPath(),
                       [] {
                           std::fflush(nullptr);
                           std::_Exit(0);
                       },
                       commandLineFiles(QCoreApplication::arguments())});
    window.show();
    return QApplication::exec();
}
