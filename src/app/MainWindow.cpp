#include "MainWindow.h"

#include "convert/ConversionHandlers.h"
#include "convert/OutputOptions.h"
#include "filelist/FileListHandlers.h"
#include "filelist/RowListModel.h"
#include "Help.h"
#include "platform/CaptionProgressBar.h"
#include "platform/PointerState.h"
#include "preview/PreviewHandlers.h"
#include "Shutdown.h"
#include "StartUp.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTreeView>

const char *const MainWindow::ProductName = "Morwenda";

namespace {

// The client area, in twips.
constexpr int ClientWidth = 8040;
constexpr int ClientHeight = 9630;

const QString FileListTip = QStringLiteral(
    "Drag and drop files here. Double-click item to remove it. Move | line to right and out of "
    "window to reveal full names.");

QFont arialBold(qreal points)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

} // namespace

MainWindow::MainWindow(Services &services, SettingsStore &settings, Options options)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_options(std::move(options))
{
    setObjectName(QStringLiteral("Form1"));
    if (const QScreen *screen = this->screen())
        m_dpi = screen->logicalDotsPerInchY();
    m_ctx.Form1 = this;
    m_ctx.services = &services;
    m_ctx.settings = &settings;
    m_ctx.productName = QString::fromLatin1(ProductName);
    m_ctx.installFolder = m_options.installFolder;
    m_ctx.pointer = new PointerState(this);
    connect(m_ctx.pointer, &PointerState::changed, this, &MainWindow::mousePointerChanged);

    setFont(arialBold(9));
    setFixedSize(px(ClientWidth), px(ClientHeight));
    createControls();
    connectHandlers();
    Form_Load(m_ctx);
    centreOnScreen();
}

MainWindow::~MainWindow() = default;

int MainWindow::mousePointer() const
{
    return m_ctx.pointer->value();
}

int MainWindow::px(int twips) const
{
    return qRound(twips * m_dpi / 1440.0);
}

void MainWindow::place(QWidget *widget, QRect twips) const
{
    widget->setGeometry(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height()));
}

QPushButton *MainWindow::createButton(QWidget *parent, const char *name, const QString &caption,
                                      QRect twips)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setFont(arialBold(11.25));
    button->setAutoDefault(false);
    place(button, twips);
    watchHover(button, PointerState::Custom);
    return button;
}

QTreeView *MainWindow::createList(const char *name, RowListModel *model, QRect twips,
                                  const QString &tooltip)
{
    auto *list = new QTreeView(this);
    list->setObjectName(QString::fromLatin1(name));
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    list->setToolTip(tooltip);
    place(list, twips);
    return list;
}

void MainWindow::createControls()
{
    m_ctx.fileRows = new RowListModel(this);
    m_ctx.previewRows = new RowListModel(this);

    m_ctx.PushButton5 =
        createButton(this, "PushButton5", QStringLiteral("Help"), QRect(120, 120, 7800, 405));
    m_ctx.ListView1 =
        createList("ListView1", m_ctx.fileRows, QRect(120, 630, 7800, 2535), FileListTip);
    m_ctx.PushButton1 = createButton(this, "PushButton1", QStringLiteral("Add PDF File(s)"),
                                     QRect(120, 3250, 3840, 405));
    m_ctx.PushButton4 =
        createButton(this, "PushButton4", QStringLiteral("Add All PDF File(s) In Folder"),
                     QRect(4080, 3250, 3840, 405));
    m_ctx.PushButton3 = createButton(this, "PushButton3", QStringLiteral("Clear List"),
                                     QRect(120, 3760, 3840, 405));
    m_ctx.PushButton6 =
        createButton(this, "PushButton6", QStringLiteral("Load Sample/Example Files"),
                     QRect(4080, 3760, 3840, 405));

    m_ctx.Frame3 = new QGroupBox(QStringLiteral("Password Option"), this);
    m_ctx.Frame3->setObjectName(QStringLiteral("Frame3"));
    place(m_ctx.Frame3, QRect(120, 4230, 7800, 735));
    m_ctx.Check1 = new QCheckBox(
        QStringLiteral("Prompt for password because PDF files are password protected"),
        m_ctx.Frame3);
    m_ctx.Check1->setObjectName(QStringLiteral("Check1"));
    place(m_ctx.Check1, QRect(240, 300, 6015, 255));

    m_ctx.ListView3 = createList("ListView3", m_ctx.previewRows, QRect(120, 5070, 7800, 1545),
                                 QStringLiteral("Preview"));

    m_ctx.Frame1 = new QGroupBox(QStringLiteral("Save Option"), this);
    m_ctx.Frame1->setObjectName(QStringLiteral("Frame1"));
    place(m_ctx.Frame1, QRect(120, 6645, 7800, 1815));
    m_ctx.Option1 = new QRadioButton(QStringLiteral("Save results to this folder:"), m_ctx.Frame1);
    m_ctx.Option1->setObjectName(QStringLiteral("Option1"));
    place(m_ctx.Option1, QRect(240, 300, 3615, 255));
    m_ctx.Frame2 = new QGroupBox(m_ctx.Frame1);
    m_ctx.Frame2->setObjectName(QStringLiteral("Frame2"));
    place(m_ctx.Frame2, QRect(480, 510, 6840, 810));
    m_ctx.Text1 = new QLineEdit(m_ctx.Frame2);
    m_ctx.Text1->setObjectName(QStringLiteral("Text1"));
    place(m_ctx.Text1, QRect(240, 300, 5670, 345));
    m_ctx.PushButton7 = createButton(m_ctx.Frame2, "PushButton7", QStringLiteral("..."),
                                     QRect(6000, 300, 600, 345));
    m_ctx.Option2 =
        new QRadioButton(QStringLiteral("Save results in folder of original file"), m_ctx.Frame1);
    m_ctx.Option2->setObjectName(QStringLiteral("Option2"));
    place(m_ctx.Option2, QRect(240, 1410, 3615, 255));

    m_ctx.PushButton2 =
        createButton(this, "PushButton2", QStringLiteral("Start Converting To Text"),
                     QRect(120, 8580, 7800, 405));
    m_ctx.ProgressBar1 = new CaptionProgressBar(this);
    m_ctx.ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    m_ctx.ProgressBar1->setText(QStringLiteral("Progress Bar"));
    m_ctx.ProgressBar1->setValue(0);
    place(m_ctx.ProgressBar1, QRect(120, 9100, 7800, 405));

    watchHover(this, PointerState::Default);
    for (QWidget *w : {static_cast<QWidget *>(m_ctx.Frame1), static_cast<QWidget *>(m_ctx.Frame2),
                       static_cast<QWidget *>(m_ctx.Frame3), static_cast<QWidget *>(m_ctx.Text1),
                       m_ctx.ListView3->viewport()})
        watchHover(w, PointerState::Default);
    // The file list's own move handling applies the hover rule there (it starts its drag code).
}

void MainWindow::watchHover(QWidget *widget, int pointer)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    m_hoverPointer.insert(widget, pointer);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        const auto found = m_hoverPointer.constFind(watched);
        // A move that a child passed up to its parent belongs to the child alone.
        const auto *widget = static_cast<QWidget *>(watched);
        const auto *move = static_cast<QMouseEvent *>(event);
        if (found != m_hoverPointer.constEnd() && !widget->childAt(move->position().toPoint()))
            m_ctx.pointer->hover(found.value());
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::connectHandlers()
{
    connect(m_ctx.PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(m_ctx); });
    connectOutputOptions(m_ctx);
    connectFileList(m_ctx);
    connectConversion(m_ctx);
    connectPreview(m_ctx);
}

void MainWindow::centreOnScreen()
{
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    Form_Unload(m_ctx);
    if (m_options.endProcess)
        m_options.endProcess();
}
