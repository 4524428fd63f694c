// Converts one file in the real window, then closes the window while the run waits on the second
// file's password box. The process must end right there: "after" is printed only if it went on.
#include "FakeServices.h"
#include "filelist/RowListModel.h"
#include "PdfFixtures.h"
#include "platform/SettingsStore.h"
#include "WindowControls.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString place = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(place + QStringLiteral("/out"));
    const QString pdf = place + QStringLiteral("/a.pdf");
    fixtures::writeTextPdf(pdf, {QStringLiteral("Text of the first file")});
    FakeServices services;
    SettingsStore settings;
    MainWindow window(services, settings,
                      {QString::fromLocal8Bit(argv[1]),
                       [] {
                           std::fflush(nullptr);
                           std::_Exit(0);
                       },
                       {}});
    window.show();
    WindowControls ui(window);
    ui.outputFolderEdit->setText(place + QStringLiteral("/out"));
    ui.askPasswordBox->setChecked(true);
    ui.fileRows->appendAll({pdf, pdf});
    services.expectInput(QString());
    services.expectInput(QString(), [&](const FakeServices::Box &) {
        std::puts("waiting");
        window.close();
        std::puts("after close");
    });
    QTest::mouseClick(ui.startButton, Qt::LeftButton);
    std::puts("after run");
    return 3;
}
