// SPDX-License-Identifier: GPL-3.0-or-later
#include "MainWindow.h"

#include "batch/BatchController.h"
#include "engine/ConverterDeployment.h"
#include "batch/OcrOptionController.h"
#include "batch/OptionsController.h"
#include "engine/OcrChoice.h"
#include "engine/SessionConverters.h"
#include "filelist/FileDropController.h"
#include "filelist/FileListController.h"
#include "filelist/FolderScanController.h"
#include "platform/RowListModel.h"
#include "filelist/SampleFilesController.h"
#include "Help.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/PointerState.h"
#include "preview/PreviewController.h"
#include "Shutdown.h"
#include "StartUp.h"
#include "WindowLayout.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
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

QFont arialBold(qreal points)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

void setCaption(QWidget *control, const QString &caption)
{
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(caption);
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        frame->setTitle(caption);
    else if (auto *bar = qobject_cast<CaptionProgressBar *>(control))
        bar->setText(caption);
}

} // namespace

MainWindow::MainWindow(Services &services, SettingsStore &settings, ConverterDeployment &deployment,
                       Options options)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      m_windowOptions(std::move(options)), m_deployment(deployment), m_settings(settings),
      m_converters(std::make_unique<SessionConverters>(deployment, m_windowOptions.serviceProgram)),
      m_boxes(services, this)
{
    setObjectName(QStringLiteral("Form1"));
    if (const QScreen *screen = this->screen())
        m_dpi = screen->logicalDotsPerInchY();
    m_pointer = new PointerState(this);
    connect(m_pointer, &PointerState::changed, this, &MainWindow::mousePointerChanged);

    setFont(arialBold(9));
    setFixedSize(px(windowlayout::ClientWidth), px(windowlayout::ClientHeight));
    createControlsAndControllers(settings);
    runStartUp(*this, m_windowOptions.installFolder);
    centreOnScreen();
    // Files named on the command line arrive once the window runs, as if dropped onto the list.
    if (!m_windowOptions.startFiles.isEmpty())
        QMetaObject::invokeMethod(
            m_fileDrop, [this] { m_fileDrop->addPaths(m_windowOptions.startFiles); },
            Qt::QueuedConnection);
}

MainWindow::~MainWindow()
{
    // The run and the preview hold jobs of the session's converters: they go first.
    delete m_batch;
    m_batch = nullptr;
    delete m_preview;
    m_preview = nullptr;
}

int MainWindow::mousePointer() const
{
    return m_pointer->value();
}

int MainWindow::px(int twips) const
{
    return qRound(twips * m_dpi / 1440.0);
}

void MainWindow::place(QWidget *widget, const ControlLayout &layout)
{
    const QRect &t = layout.twips;
    widget->setGeometry(px(t.x()), px(t.y()), px(t.width()), px(t.height()));
}

template <class Control> Control *MainWindow::createControl(const char *objectName)
{
    const ControlLayout &layout = windowlayout::control(objectName);
    QWidget *parent = this;
    if (layout.parentName)
        parent = findChild<QWidget *>(QString::fromLatin1(layout.parentName));
    auto *control = new Control(parent);
    control->setObjectName(QString::fromLatin1(layout.objectName));
    setCaption(control, QString::fromUtf16(layout.caption));
    control->setToolTip(QString::fromUtf16(layout.tooltip));
    place(control, layout);
    return control;
}

QPushButton *MainWindow::createButton(const char *objectName)
{
    auto *button = createControl<QPushButton>(objectName);
    button->setFont(arialBold(11.25));
    button->setAutoDefault(false);
    watchHover(button, PointerState::Custom);
    return button;
}

QTreeView *MainWindow::createList(const char *objectName, RowListModel *model)
{
    auto *list = createControl<QTreeView>(objectName);
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
    return list;
}

void MainWindow::createControlsAndControllers(SettingsStore &settings)
{
    m_fileRows = new RowListModel(this);
    m_previewRows = new RowListModel(this);

    QPushButton *helpButton = createButton("PushButton5");
    m_fileListView = createList("ListView1", m_fileRows);
    QPushButton *addFilesButton = createButton("PushButton1");
    QPushButton *addFolderButton = createButton("PushButton4");
    QPushButton *clearButton = createButton("PushButton3");
    QPushButton *samplesButton = createButton("PushButton6");
    auto *passwordFrame = createControl<QGroupBox>("Frame3");
    auto *askPasswordBox = createControl<QCheckBox>("Check1");
    m_previewListView = createList("ListView3", m_previewRows);
    auto *saveFrame = createControl<QGroupBox>("Frame1");
    auto *saveToFolderOption = createControl<QRadioButton>("Option1");
    auto *outputFolderFrame = createControl<QGroupBox>("Frame2");
    auto *outputFolderEdit = createControl<QLineEdit>("Text1");
    QPushButton *browseOutputButton = createButton("PushButton7");
    auto *saveBesidePdfOption = createControl<QRadioButton>("Option2");
    QPushButton *startButton = createButton("PushButton2");
    auto *progressBar = createControl<CaptionProgressBar>("ProgressBar1");
    progressBar->setValue(0);
    auto *ocrFrame = createControl<QGroupBox>("Frame4");
    auto *ocrBox = createControl<QCheckBox>("Check2");
    auto *ocrLanguageList = createControl<QComboBox>("Combo1");

    watchHover(this, PointerState::Default);
    for (QWidget *area :
         {static_cast<QWidget *>(saveFrame), static_cast<QWidget *>(outputFolderFrame),
          static_cast<QWidget *>(passwordFrame), static_cast<QWidget *>(outputFolderEdit),
          static_cast<QWidget *>(ocrFrame), m_previewListView->viewport()})
        watchHover(area, PointerState::Default);
    // The file list's own move handling applies the hover rule there (it starts its drag code).

    m_fileList = new FileListController(*m_fileListView, *m_fileRows, *m_pointer, m_boxes,
                                        m_windowOptions.installFolder, this);
    m_folderScan = new FolderScanController(*m_fileRows, *m_pointer, settings, m_boxes, this);
    m_fileDrop = new FileDropController(*m_fileListView, *m_fileRows, *m_folderScan, m_boxes, this);
    m_sampleFiles =
        new SampleFilesController(*m_fileRows, m_boxes, m_windowOptions.installFolder, this);
    m_optionsController =
        new OptionsController({askPasswordBox, saveToFolderOption, saveBesidePdfOption,
                               outputFolderFrame, outputFolderEdit, browseOutputButton},
                              settings, m_boxes, this);
    m_ocrOption = new OcrOptionController(ocrBox, ocrLanguageList, settings, m_boxes, this);
    m_ocrOption->restoreChoices(OcrChoice::installedLanguages());
    m_batch = new BatchController(
        *m_fileRows, *m_pointer, *progressBar, m_boxes,
        [this] { return m_optionsController->outputChoice(); }, *m_converters, settings, this);
    m_preview =
        new PreviewController(*m_previewRows, *m_pointer, m_boxes, *m_converters, settings, this);

    connect(helpButton, &QPushButton::clicked, this, [this] { showHelp(m_boxes); });
    connect(addFilesButton, &QPushButton::clicked, m_fileList, &FileListController::addFiles);
    connect(clearButton, &QPushButton::clicked, m_fileList, &FileListController::clearList);
    connect(startButton, &QPushButton::clicked, m_batch, &BatchController::startConversion);
    const QString startTip = startButton->toolTip();
    connect(m_batch, &BatchController::runningChanged, startButton,
            [startButton, startTip](bool on) {
                startButton->setToolTip(on ? QStringLiteral("Converting. Click to stop converting.")
                                           : startTip);
            });
    // A preview, a folder scan or a run that ends gives the default pointer back; while a
    // converter of the other still works, the window stays busy.
    connect(m_pointer, &PointerState::changed, this, &MainWindow::showBusyWhileWorking);
    connect(m_fileListView, &QAbstractItemView::clicked, m_preview, [this] {
        m_preview->previewFile(m_fileList->selectedPath(),
                               m_optionsController->outputChoice().askPassword);
    });
    connect(addFolderButton, &QPushButton::clicked, m_folderScan,
            &FolderScanController::scanFolder);
    connect(samplesButton, &QPushButton::clicked, m_sampleFiles,
            &SampleFilesController::loadSampleFiles);
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
            m_pointer->hover(found.value());
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::centreOnScreen()
{
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

void MainWindow::showBusyWhileWorking(int pointer)
{
    if (pointer == PointerState::Default && (m_batch->isConverting() || m_preview->isRunning()))
        m_pointer->set(PointerState::Busy);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    // Every converter is killed and reaped before the process ends.
    m_batch->abandon();
    m_preview->abandon();
    m_converters->endAll();
    shutDown(m_deployment);
    if (m_windowOptions.endProcess)
        m_windowOptions.endProcess();
}
