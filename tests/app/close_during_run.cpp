// Starts a batch run in the real window and closes the window while the run waits on a box.
// The process must end right there: "after" is printed only if the run went on.
#include "app/MainWindow.h"
#include "FakeServices.h"
#include "filelist/RowListModel.h"
#include "platform/SettingsStore.h"

#include <cstdio>
#include <cstdlib>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    FakeServices services;
    SettingsStore settings;
    MainWindow window(services, settings, {QString::fromLocal8Bit(argv[1]), [] {
                                               std::fflush(nullptr);
                                               std::_Exit(0);
                                           }});
    window.show();
    WindowContext &ctx = window.context();
    ctx.Text1->setText(QString::fromLocal8Bit(argv[2]));
    ctx.Check1->setChecked(true);
    ctx.fileRows->append(QString::fromLocal8Bit(argv[2]) + QStringLiteral("/a.pdf"));
    services.expectInput(QString(), [&](const FakeServices::Box &) {
        std::puts("waiting");
        window.close();
        std::puts("after close");
    });
    QTest::mouseClick(ctx.PushButton2, Qt::LeftButton);
    std::puts("after run");
    return 3;
}
