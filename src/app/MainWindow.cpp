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
#include "filelist/SampleFilesController.h"
#include "Help.h"
#include "LayoutPlacement.h"
#include "platform/RowListModel.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/IndicatorStyle.h"
#include "platform/widgets/PointerState.h"
#include "preview/PreviewController.h"
#include "Shutdown.h"
#include "StartUp.h"
#include "WindowFit.h"
#include "WindowLayout.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>
#include <type_traits>

const char *const MainWindow::ProductName = "Morwenda";

namespace {

void setCaption(QWidget *control, const QString &caption)
{
    if (auto *button = qobject_cast<QAbstractButton *>(control))
        button->setText(caption);
    else if (auto *frame = qobject_cast<QGroupBox *>(control))
        frame->setTitle(caption);
    else if (auto *bar = qobject_cast<CaptionProgressBar *>(control))
        bar->setText(caption);
    else if (auto *label = qobject_cast<QLabel *>(control))
        label->setText(caption);
}

// A caption as a screen reader says it: without its mnemonic marks.
QString spokenCaption(QString caption)
{
    caption.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    caption.remove(u'&');
    caption.replace(u'\x01', u'&');
    return caption;
}

bool isListMove(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

} // namespace

MainWindow::MainWindow(Services &services, SettingsStore &settings, ConverterDeployment &deployment,
                       Options options)
    : QWidget(nullptr, Qt::Window), m_windowOptions(std::move(options)), m_deployment(deployment),
      m_settings(settings),
      m_converters(std::make_unique<SessionConverters>(deployment, m_windowOptions.serviceProgram)),
      m_boxes(services, this)
{
    setObjectName(QStringLiteral("Form1"));
    if (const QScreen *screen = this->screen())
        m_dpi = screen->logicalDotsPerInchY();
    m_pointer = new PointerState(this);
    connect(m_pointer, &PointerState::changed, this, &MainWindow::mousePointerChanged);

    resize(defaultSize());
    m_scrollArea = new QScrollArea(this);
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setFocusPolicy(Qt::NoFocus); // Tab goes to the controls, not to the area
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setGeometry(rect());
    m_client = new QWidget;
    m_client->resize(defaultSize());
    m_client->installEventFilter(this); // its resize lays out the controls
    m_scrollArea->setWidget(m_client);
    const Controls controls = createControls();
    createControllers(controls, settings);
    connectControls(controls);
    createShortcuts(controls);
    setAccessibleName(tr("Morwenda"));
    setAccessibleDescription(tr("Converts PDF files to text files."));
    runStartUp({*this, QString::fromLatin1(ProductName), m_boxes, *m_pointer, *m_fileListView,
                *m_previewListView, *m_optionsController, m_settings, m_deployment},
               m_windowOptions.installFolder);
    m_fit = new WindowFit(*this, *m_scrollArea, settings,
                          layoutplacement::clientSizes(*m_client, m_dpi));
    m_fit->restore();
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
    return windowlayout::pixels(twips, m_dpi);
}

QSize MainWindow::defaultSize() const
{
    return {px(windowlayout::ClientWidth), px(windowlayout::ClientHeight)};
}

QSize MainWindow::leastSize() const
{
    return m_fit->sizes().least;
}

template <class Control> Control *MainWindow::createControl(const char *objectName)
{
    const ControlLayout &layout = windowlayout::control(objectName);
    QWidget *parent = m_client;
    if (layout.parentName)
        parent = findChild<QWidget *>(QString::fromLatin1(layout.parentName));
    auto *control = new Control(parent);
    control->setObjectName(QString::fromLatin1(layout.objectName));
    if constexpr (std::is_same_v<Control, QCheckBox> || std::is_same_v<Control, QRadioButton>)
        control->setStyle(&IndicatorStyle::shared());
    const QString caption = windowlayout::translated(layout.caption);
    setCaption(control, caption);
    control->setToolTip(windowlayout::translated(layout.tooltip));
    const QString name = windowlayout::translated(layout.accessibleName);
    control->setAccessibleName(name.isEmpty() ? spokenCaption(caption) : name);
    control->setAccessibleDescription(windowlayout::translated(layout.accessibleDescription));
    return control;
}

QPushButton *MainWindow::createButton(const char *objectName)
{
    auto *button = createControl<QPushButton>(objectName);
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

MainWindow::Controls MainWindow::createControls()
{
    m_fileRows = new RowListModel(this);
    m_previewRows = new RowListModel(this);
    // In the table's order, which is the tab order.
    Controls controls{};
    controls.help = createButton("PushButton5");
    m_fileListView = createList("ListView1", m_fileRows);
    controls.addFiles = createButton("PushButton1");
    controls.addFolder = createButton("PushButton4");
    controls.clear = createButton("PushButton3");
    controls.samples = createButton("PushButton6");
    createControl<QGroupBox>("Frame3");
    createControl<QCheckBox>("Check1");
    m_previewListView = createList("ListView3", m_previewRows);
    createControl<QGroupBox>("Frame1");
    createControl<QRadioButton>("Option1");
    createControl<QGroupBox>("Frame2");
    createControl<QLineEdit>("Text1");
    createButton("PushButton7");
    createControl<QRadioButton>("Option2");
    controls.start = createButton("PushButton2");
    controls.progressBar = createControl<CaptionProgressBar>("ProgressBar1");
    controls.progressBar->setValue(0);
    createControl<QGroupBox>("Frame4");
    createControl<QCheckBox>("Check2");
    m_languageLabel = createControl<QLabel>("Label1");
    m_languageLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto *languageList = createControl<QComboBox>("Combo1");
    m_languageLabel->setBuddy(languageList);
    languageList->installEventFilter(this); // the label is greyed with its box
    layOutControls();

    watchHover(m_client, PointerState::Default);
    for (const char *area : {"Frame1", "Frame2", "Frame3", "Frame4", "Text1"})
        watchHover(findChild<QWidget *>(QString::fromLatin1(area)), PointerState::Default);
    watchHover(m_previewListView->viewport(), PointerState::Default);
    // The file list's own move handling applies the hover rule there (it starts its drag code).
    m_fileListView->installEventFilter(this);
    return controls;
}

void MainWindow::createControllers(const Controls &controls, SettingsStore &settings)
{
    const auto find = [this](const char *name) {
        return findChild<QWidget *>(QString::fromLatin1(name));
    };
    m_fileList = new FileListController(*m_fileListView, *m_fileRows, *m_pointer, m_boxes,
                                        m_windowOptions.installFolder, this);
    m_folderScan = new FolderScanController(*m_fileRows, *m_pointer, settings, m_boxes, this);
    m_fileDrop = new FileDropController(*m_fileListView, *m_fileRows, *m_folderScan, m_boxes, this);
    m_sampleFiles =
        new SampleFilesController(*m_fileRows, m_boxes, m_windowOptions.installFolder, this);
    m_optionsController = new OptionsController(
        {qobject_cast<QCheckBox *>(find("Check1")), qobject_cast<QRadioButton *>(find("Option1")),
         qobject_cast<QRadioButton *>(find("Option2")), qobject_cast<QGroupBox *>(find("Frame2")),
         qobject_cast<QLineEdit *>(find("Text1")),
         qobject_cast<QPushButton *>(find("PushButton7"))},
        settings, m_boxes, this);
    m_ocrOption = new OcrOptionController(qobject_cast<QCheckBox *>(find("Check2")),
                                          qobject_cast<QComboBox *>(find("Combo1")), settings,
                                          m_boxes, this);
    m_ocrOption->restoreChoices(OcrChoice::installedLanguages());
    m_batch = new BatchController(
        *m_fileRows, *m_pointer, *controls.progressBar, m_boxes,
        [this] { return m_optionsController->outputChoice(); }, *m_converters, settings, this);
    m_preview =
        new PreviewController(*m_previewRows, *m_pointer, m_boxes, *m_converters, settings, this);
}

void MainWindow::connectControls(const Controls &controls)
{
    connect(controls.help, &QPushButton::clicked, this, [this] { showHelp(m_boxes); });
    connect(controls.addFiles, &QPushButton::clicked, m_fileList, &FileListController::addFiles);
    connect(controls.clear, &QPushButton::clicked, m_fileList, &FileListController::clearList);
    connect(controls.addFolder, &QPushButton::clicked, m_folderScan,
            &FolderScanController::scanFolder);
    connect(controls.samples, &QPushButton::clicked, m_sampleFiles,
            &SampleFilesController::loadSampleFiles);
    QPushButton *start = controls.start;
    connect(start, &QPushButton::clicked, m_batch, &BatchController::startConversion);
    const QString startTip = start->toolTip();
    connect(m_batch, &BatchController::runningChanged, start, [start, startTip](bool on) {
        start->setToolTip(on ? tr("Converting. Click to stop converting.") : startTip);
    });
    // A preview, a folder scan or a run that ends gives the default pointer back; while a
    // converter of the other still works, the window stays busy.
    connect(m_pointer, &PointerState::changed, this, &MainWindow::showBusyWhileWorking);
    // A click previews the clicked file; a key that moves to another row previews that one.
    connect(m_fileListView, &QAbstractItemView::clicked, this, &MainWindow::previewCurrentFile);
    connect(m_fileListView->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        if (m_keyMovesInFileList)
            previewCurrentFile();
    });
}

void MainWindow::createShortcuts(const Controls &controls)
{
    const auto shortcut = [this](QKeySequence keys, auto slot) {
        auto *made = new QShortcut(keys, this);
        made->setContext(Qt::WindowShortcut);
        connect(made, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::HelpContents, [help = controls.help] { help->click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_O), [add = controls.addFiles] { add->click(); });
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), [this] { close(); });
}

void MainWindow::previewCurrentFile()
{
    m_preview->previewFile(m_fileList->selectedPath(),
                           m_optionsController->outputChoice().askPassword);
}

void MainWindow::layOutControls()
{
    layoutplacement::placeControls(*m_client, m_dpi);
}

void MainWindow::watchHover(QWidget *widget, int pointer)
{
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    m_hoverPointer.insert(widget, pointer);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_client && event->type() == QEvent::Resize) {
        layOutControls();
    } else if (event->type() == QEvent::EnabledChange && m_languageLabel &&
               watched == m_languageLabel->buddy()) {
        m_languageLabel->setEnabled(m_languageLabel->buddy()->isEnabled());
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *button = qobject_cast<QAbstractButton *>(watched);
        // Return and Enter press the focused button, as Space does.
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter) &&
            static_cast<QKeyEvent *>(event)->modifiers() == Qt::NoModifier) {
            button->click();
            return true;
        }
        if (watched == m_fileListView && isListMove(key)) {
            // The view moves its current row while this is set; the flag goes with the event.
            m_keyMovesInFileList = true;
            QTimer::singleShot(0, this, [this] { m_keyMovesInFileList = false; });
        }
    } else if (event->type() == QEvent::MouseMove) {
        const auto found = m_hoverPointer.constFind(watched);
        // A move that a child passed up to its parent belongs to the child alone.
        const auto *widget = static_cast<QWidget *>(watched);
        const auto *move = static_cast<QMouseEvent *>(event);
        if (found != m_hoverPointer.constEnd() && !widget->childAt(move->position().toPoint()))
            m_pointer->hover(found.value());
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::showBusyWhileWorking(int pointer)
{
    if (pointer == PointerState::Default && (m_batch->isConverting() || m_preview->isRunning()))
        m_pointer->set(PointerState::Busy);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    m_fit->storePendingSize();
    // Every converter is killed and reaped before the process ends.
    m_batch->abandon();
    m_preview->abandon();
    m_converters->endAll();
    shutDown(m_deployment);
    if (m_windowOptions.endProcess)
        m_windowOptions.endProcess();
}
