#include "StartUp.h"

#include "convert/Converter.h"
#include "convert/OutputOptions.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/PointerState.h"
#include "platform/SettingsStore.h"
#include "ProductIcon.h"
#include "WindowContext.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QStandardPaths>
#include <QtEndian>
#include <QTreeView>

namespace {

constexpr int ColumnWidthTwips = 7000;

int twipsToPixels(const QWidget *widget, int twips)
{
    return qRound(twips * widget->logicalDpiX() / 1440.0);
}

void addColumn(QTreeView *list, const QString &heading)
{
    // The row models have one column; its heading is the view's header text.
    list->model()->setHeaderData(0, Qt::Horizontal, heading, Qt::DisplayRole);
}

void setColumnWidth(QTreeView *list, int twips)
{
    list->header()->resizeSection(0, twipsToPixels(list, twips));
}

Qt::CheckState checkStateFor(qint16 value)
{
    switch (value) {
    case 0:
        return Qt::Unchecked;
    case 1:
        return Qt::Checked;
    case 2:
        return Qt::PartiallyChecked; // greyed
    default:
        throw Failure(QStringLiteral("Invalid property value"));
    }
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

QString SetApplicationTitle(const QString &productName)
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

QString DesktopFolder()
{
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        throw Failure(QStringLiteral("The desktop folder cannot be found"));
    return QDir::toNativeSeparators(desktop) + QDir::separator();
}

void ApplySkin(WindowContext &ctx)
{
    const QString skin = ctx.installFolder + QStringLiteral("/x/o.cjs");
    if (!QFileInfo(skin).isFile())
        return;
    const QColor buttonFace = ctx.Form1->palette().color(QPalette::Button);
    auto paint = [&](QWidget *widget) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, buttonFace);
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    };
    paint(ctx.Form1);
    for (QWidget *child : ctx.Form1->findChildren<QWidget *>()) {
        if (qobject_cast<QRadioButton *>(child) || qobject_cast<QCheckBox *>(child) ||
            qobject_cast<QGroupBox *>(child) || qobject_cast<QLabel *>(child))
            paint(child);
    }
    QFile file(skin);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(file.errorString());
    ctx.Form1->setStyleSheet(QString::fromUtf8(file.readAll()));
}

QCursor LoadPointerPicture(const QString &path)
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

void Form_Load(WindowContext &ctx)
{
    Procedure proc(ctx.reporter(), tags::FormLoad);
    SettingsStore &store = *ctx.settings;

    proc.run(100, [&] { ApplySkin(ctx); });
    const QString handPointer = ctx.installFolder + QStringLiteral("/HAND-M.CUR");
    if (proc.branch(102, [&] { return files::FileExists(handPointer); }))
        proc.run(104, [&] { ctx.pointer->setCustomCursor(LoadPointerPicture(handPointer)); });
    proc.run(130, [&] {
        ctx.Form1->setWindowTitle(ctx.productName);
        ctx.Form1->setWindowIcon(ProductIcon());
        ctx.applicationTitle = SetApplicationTitle(ctx.productName);
        QCoreApplication::setApplicationName(ctx.applicationTitle);
    });
    proc.run(132, [&] { addColumn(ctx.ListView1, QStringLiteral("PDF File(s)")); });
    proc.run(134, [&] { setColumnWidth(ctx.ListView1, ColumnWidthTwips); });
    proc.run(136, [&] {
        addColumn(ctx.ListView3,
                  QStringLiteral("PDF Preview (Click on added PDF file above. This is how the "
                                 "file appears to me)"));
    });
    proc.run(138, [&] { setColumnWidth(ctx.ListView3, ColumnWidthTwips); });
    proc.run(140, [&] {
        ctx.Check1->setCheckState(
            checkStateFor(settingtext::toInt16(store.GetSetting(QStringLiteral("Check1"), "0"))));
    });
    proc.run(142, [&] {
        const QString desktop = DesktopFolder();
        ctx.Text1->setText(store.GetSetting(QStringLiteral("Output Folder"), desktop));
    });
    proc.run(144, [&] {
        ctx.Option1->setChecked(
            settingtext::toBoolean(store.GetSetting(QStringLiteral("Option1"), "1")));
    });
    proc.run(146, [&] {
        ctx.Option2->setChecked(
            settingtext::toBoolean(store.GetSetting(QStringLiteral("Option2"), "0")));
    });
    if (proc.branch(148, [&] { return ctx.Option1->isChecked(); }))
        proc.run(150, [&] { ctx.Frame2->setEnabled(true); });
    else
        proc.run(152, [&] { ctx.Frame2->setEnabled(false); });
    converter::Deploy(proc);
}
