// SPDX-License-Identifier: GPL-3.0-or-later
// Times appending many rows to the file list of the real window, offscreen: one row at a time
// through the add-to-list operation (as the folder scan and a drop add them) and all at once. A
// bare row model without a view, filled one row at a time, is the baseline of the same run.

#include "engine/ConverterDeployment.h"
#include "platform/RowListModel.h"
#include "platform/SettingsStore.h"
#include "TestPlace.h"
#include "WindowControls.h"

#include <cstdio>
#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTreeView>

namespace {

// Answers every box as if cancelled and counts them; the start-up of a fresh place shows none.
class QuietServices final : public Services
{
public:
    int shown = 0;

    MessageAnswer messageBox(QWidget *, const QString &, const QString &text,
                             MessageButtons buttons, MessageIcon) override
    {
        ++shown;
        std::fprintf(stderr, "box: %s\n", qPrintable(text));
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    QString inputBox(QWidget *, const QString &, const QString &, const QString &) override
    {
        ++shown;
        return {};
    }
    QString browseForFolder(QWidget *, const QString &, const QString &) override
    {
        ++shown;
        return {};
    }
    QStringList openFileNames(QWidget *, const QString &, const QString &) override
    {
        ++shown;
        return {};
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        ++shown;
        return {};
    }
    bool openFolder(const QString &) override
    {
        ++shown;
        return false;
    }
    PasswordAnswer passwordBox(QWidget *, const QString &, const QString &,
                               const QString &) override
    {
        ++shown;
        return {};
    }
    void notify(QWidget *, const QString &, const QString &) override {}
};

QStringList paths(int count)
{
    QStringList result;
    result.reserve(count);
    for (int i = 0; i < count; ++i)
        result.append(QStringLiteral("/home/someone/Documents/archive %1/report %2.pdf")
                          .arg(i / 100, 4, 10, QLatin1Char('0'))
                          .arg(i, 6, 10, QLatin1Char('0')));
    return result;
}

// Milliseconds that `fill` takes on a fresh, shown window, until the list is laid out and
// painted with its last row in view.
double timeInWindow(const std::function<void(RowListModel &)> &fill)
{
    TestPlace place;
    SettingsStore settings;
    QuietServices services;
    ConverterDeployment deployment;
    MainWindow window(services, settings, deployment,
                      MainWindow::Options{place.installFolder(), [] {}, {}});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not exposed\n");
    WindowControls ui(window);
    QElapsedTimer timer;
    timer.start();
    fill(*ui.fileRows);
    ui.fileList->scrollToBottom();
    ui.fileList->viewport()->repaint();
    QCoreApplication::processEvents();
    const double ms = timer.nsecsElapsed() / 1e6;
    if (services.shown)
        std::fprintf(stderr, "%d boxes were shown\n", services.shown);
    return ms;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QByteArray(argv[1]).toInt() : 100000;
    const QStringList rows = paths(count);

    RowListModel bare;
    QElapsedTimer timer;
    timer.start();
    for (const QString &row : rows)
        bare.append(row);
    const double baseline = timer.nsecsElapsed() / 1e6;

    const double oneByOne = timeInWindow([&](RowListModel &model) {
        for (const QString &row : rows)
            model.append(row);
    });
    const double allAtOnce = timeInWindow([&](RowListModel &model) { model.appendAll(rows); });

    std::printf("rows: %d\n", count);
    std::printf("%-42s %9.1f ms  (baseline)\n", "bare model, one row at a time:", baseline);
    std::printf("%-42s %9.1f ms  x%.1f\n", "window, one row at a time, laid out:", oneByOne,
                oneByOne / baseline);
    std::printf("%-42s %9.1f ms  x%.1f\n", "window, all rows at once, laid out:", allAtOnce,
                allAtOnce / baseline);
    return 0;
}
