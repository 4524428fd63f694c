// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartUp.h"

#include "engine/ConverterChoice.h"
#include "engine/ConverterDeployment.h"
#include "batch/OptionsController.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/widgets/FullWidthColumn.h"
#include "platform/widgets/MessageBoxes.h"
#include "platform/widgets/PointerState.h"
#include "ProductIcon.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QRadioButton>
#include <QtEndian>
#include <QTreeView>

namespace {

void addColumn(QTreeView *list, const QString &heading)
{
    // The row models have one column; its heading is the view's header text.
    list->model()->setHeaderData(0, Qt::Horizontal, heading, Qt::DisplayRole);
}

// The column follows the list's width from now on, never narrower than its heading.
void followListWidth(QTreeView *list)
{
    new FullWidthColumn(*list);
}

// The hot spot of a Windows cursor file (type 2), from its first directory entry.
QPoint cursorHotSpot(const QByteArray &bytes)
{
    if (bytes.size() < 22 || qFromLittleEndian<quint16>(bytes.constData() + 2) != 2)
        return {-1, -1};
    return {qFromLittleEndian<quint16>(bytes.constData() + 10),
            qFromLittleEndian<quint16>(bytes.constData() + 12)};
}

} // namespace

QString setApplicationTitle(const QString &productName)
{
    QString title = productName;
    qsizetype blank = title.lastIndexOf(u' ');
    if (blank < 0)
        return title;
    do {
        title.truncate(blank);
        blank = title.lastIndexOf(u' ');
    } while (title.size() > 40 && blank >= 0);
    return title;
}

void applySkin(QWidget &window, const QString &installFolder)
{
    const QString skin = installFolder + QStringLiteral("/x/o.cjs");
    if (!QFileInfo(skin).isFile())
        return;
    const QColor buttonFace = window.palette().color(QPalette::Button);
    auto paint = [&](QWidget *widget) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, buttonFace);
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    };
    paint(&window);
    for (QWidget *child : window.findChildren<QWidget *>()) {
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child) ||
            qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child))
            paint(child);
    }
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(file.errorString());
    window.setStyleSheet(QString::fromUtf8(file.readAll()));
}

QCursor loadPointerPicture(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(file.errorString());
    const QByteArray bytes = file.readAll();
    QPixmap picture;
    if (!picture.loadFromData(bytes, "CUR") && !picture.loadFromData(bytes))
        throw Failure(QStringLiteral("Invalid picture"));
    const QPoint hot = cursorHotSpot(bytes);
    return QCursor(picture, hot.x(), hot.y());
}

void runStartUp(const StartUpParts &parts, const QString &installFolder)
{
    MessageBoxes &boxes = parts.boxes;
    Procedure proc(boxes.reporter(), tags::FormLoad);

    proc.run(100, [&] { applySkin(parts.window, installFolder); });
    const QString handPointer = installFolder + QStringLiteral("/HAND-M.CUR");
    if (files::fileExists(handPointer))
        proc.run(104, [&] { parts.pointer.setCustomCursor(loadPointerPicture(handPointer)); });
    proc.run(130, [&] {
        parts.window.setWindowTitle(parts.productName);
        parts.window.setWindowIcon(productIcon());
        boxes.setTitle(setApplicationTitle(parts.productName));
        QCoreApplication::setApplicationName(boxes.title());
    });
    QTreeView *fileList = &parts.fileList;
    QTreeView *previewList = &parts.previewList;
    proc.run(132,
             [&] { addColumn(fileList, QCoreApplication::translate("StartUp", "PDF File(s)")); });
    proc.run(134, [&] { followListWidth(fileList); });
    proc.run(136, [&] {
        addColumn(previewList, QCoreApplication::translate(
                                   "StartUp", "PDF Preview (Click on added PDF file above. This "
                                              "is how the file appears to me)"));
    });
    proc.run(138, [&] { followListWidth(previewList); });
    parts.options.restoreChoices(proc);
    // The converter service needs nothing in place; pdftotext is put in place here when it is the
    // chosen converter, and otherwise only if a job ever falls back to it.
    if (converterchoice::fromSettings(parts.settings) == converterchoice::Pdftotext)
        parts.deployment.deploy(proc);
}
