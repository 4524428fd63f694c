// SPDX-License-Identifier: GPL-3.0-or-later
// The real window converts a locked text PDF and a page of nested forms (its converter stays busy
// for minutes) two at a time, and is closed while the third file's password box is open. Closing
// must stop every converter before the process ends: the program prints how many of its children
// are still alive at that moment ("children N"), and "after" only if it went on past the close.
// With "kill" or "term" as third argument it prints its children's ids ("converters ID ...")
// instead and waits to be killed, or to be closed by SIGTERM.
#include "app/Shutdown.h"
#include "engine/ConverterDeployment.h"
#include "FakeServices.h"
#include "PdfFixtures.h"
#include "platform/RowListModel.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "TestConfig.h"
#include "WindowControls.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <unistd.h>

namespace {

// The processes whose parent is this one (zombies included: a child not reaped still counts).
QStringList children()
{
    QStringList found;
    const QString self = QString::number(::getpid());
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // pid (name) state ppid ...: the name may hold blanks, the last ")" ends it.
        const QList<QByteArray> rest = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (rest.size() > 1 && rest.at(1) == self.toLatin1())
            found << pid;
    }
    return found;
}

int childCount()
{
    return int(children().size());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString place = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(place + QStringLiteral("/out"));
    const QString text = place + QStringLiteral("/a.pdf");
    const QString forms = place + QStringLiteral("/forms.pdf");
    // Locked by a password, so that the run asks for it; the forms open without one.
    const QString plain = place + QStringLiteral("/plain.pdf");
    fixtures::writeTextPdf(plain, {QStringLiteral("Text of the first file")});
    fixtures::encryptPdf(plain, text, QStringLiteral("pw"), QStringLiteral("pw"));
    QFile::remove(plain);
    fixtures::writeFormBomb(forms, 6);
    FakeServices services;
    SettingsStore settings;
    settings.saveSetting(settingkeys::Converters, QStringLiteral("2"));
    ConverterDeployment deployment;
    MainWindow window(services, settings, deployment,
                      {QString::fromLocal8Bit(argv[1]),
                       [] {
                           std::printf("children %d\n", childCount());
                           std::fflush(nullptr);
                           std::_Exit(0);
                       },
                       {},
                       QStringLiteral(MORWENDA_BINARY)});
    closeOnStopSignals(window);
    window.show();
    WindowControls ui(window);
    ui.outputFolderEdit->setText(place + QStringLiteral("/out"));
    ui.askPasswordBox->setChecked(true);
    ui.fileRows->appendAll({text, forms, text});
    services.expectPassword(QStringLiteral("pw"));
    services.expectPassword(QString(), false, [&](const FakeServices::Box &) {
        // The first text is in place while the forms keep their converter busy.
        if (!QTest::qWaitFor([&] { return QFile::exists(place + QStringLiteral("/out/a.txt")); },
                             20000))
            std::puts("the first text did not come");
        std::printf("waiting with %d children\n", childCount());
        if (argc > 3 && (QByteArray(argv[3]) == "kill" || QByteArray(argv[3]) == "term")) {
            std::printf("converters %s\n", qPrintable(children().join(u' ')));
            std::fflush(stdout);
            QTest::qWait(120000);
        }
        std::fflush(stdout);
        window.close();
        std::puts("after close");
    });
    QTest::mouseClick(ui.startButton, Qt::LeftButton);
    QTest::qWait(60000);
    std::puts("after run");
    return 3;
}
