// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/ProductIcon.h"
#include "app/Shutdown.h"
#include "app/Translations.h"
#include "engine/ConverterChoice.h"
#include "engine/ConverterDeployment.h"
#include "platform/ProcessLimits.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/WidgetServices.h"
#include "service/ConverterService.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <QApplication>
#include <QLocale>

namespace {

enum class Request
{
    Window,
    Help,
    Version
};

// --help and --version are answered on the terminal, before any option after a lone "--".
Request requestOf(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            break;
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
            return Request::Help;
        if (std::strcmp(argv[i], "--version") == 0)
            return Request::Version;
    }
    return Request::Window;
}

int answerOnTerminal(int argc, char *argv[], Request request)
{
    QCoreApplication app(argc, argv);
    installTranslations(QLocale::system());
    QString text;
    if (request == Request::Version) {
        text = QStringLiteral("morwenda " MORWENDA_VERSION "\n");
    } else {
        text = QCoreApplication::translate(
            "main", "Usage: morwenda [FILE or FOLDER]...\n"
                    "Opens the window that converts PDF files to text files. Files named here are "
                    "added to its list; folders add the PDF files inside them.\n\n"
                    "  -h, --help     show this help and end\n"
                    "      --version  show the version and end\n\n"
                    "To convert without a window, use morwenda-batch.\n");
    }
    std::fputs(qPrintable(text), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

QtMessageHandler qtHandler = nullptr;

// While the application object is made: a platform plugin that cannot reach a display ends the
// program with a fatal message and an abort; the user gets a plain reason and exit status 1.
void startUpMessages(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type != QtFatalMsg || !message.contains(QStringLiteral("platform plugin"))) {
        qtHandler(type, context, message);
        return;
    }
    const char *display = std::getenv("DISPLAY");
    const char *wayland = std::getenv("WAYLAND_DISPLAY");
    std::fprintf(stderr,
                 "morwenda: the window cannot be shown: no display could be opened "
                 "(DISPLAY=%s, WAYLAND_DISPLAY=%s).\n"
                 "To convert without a window, use morwenda-batch.\n",
                 display ? display : "", wayland ? wayland : "");
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

int main(int argc, char *argv[])
{
    // The converter service needs no display and makes no QApplication.
    if (converterservice::isRequested(argc, argv))
        return converterservice::run();
    if (const Request request = requestOf(argc, argv); request != Request::Window)
        return answerOnTerminal(argc, argv, request);
    processlimits::raiseOpenFileLimit();
    qtHandler = qInstallMessageHandler(startUpMessages);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtHandler);
    installTranslations(QLocale::system());
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
    closeOnStopSignals(window);
    window.show();
    return QApplication::exec();
}
