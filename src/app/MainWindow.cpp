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
#include "platform/Failure.h"
#include "platform/RowListModel.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/IndicatorStyle.h"
#include "platform/widgets/PointerState.h"
#include "preview/PreviewController.h"
#include "Shutdown.h"
#include "StartUp.h"
#include "WindowLayout.h"

#include <algorithm>
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
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>
#include <QTreeView>
#include <type_traits>

const char *const MainWindow::ProductName = "Morwenda";

namespace {

// The size the user last gave the window, as "WIDTHxHEIGHT" in pixels.
QSize storedSize(const SettingsStore &settings)
{
    const QStringList parts = settings.getSetting(settingkeys::WindowSize, QString()).split(u'x');
    if (parts.size() != 2)
        return {};
    bool wideOk = false;
    bool highOk = false;
    const QSize size(parts.at(0).toInt(&wideOk), parts.at(1).toInt(&highOk));
    return wideOk && highOk && size.isValid() ? size : QSize();
}

QString sizeText(QSize size)
{
    return QString::number(size.width()) + u'x' + QString::number(size.height());
}

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
    restoreSizeOnScreen();
    m_storeSize.setSingleShot(true);
    m_storeSize.setInterval(500);
    connect(&m_storeSize, &QTimer::timeout, this, &MainWindow::storeSize);
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

QSize MainWindow::defaultSize() const
{
    return {px(windowlayout::ClientWidth), px(windowlayout::ClientHeight)};
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
    // A row's place in its parent: its twips at the default size, and its share of the parent's
    // extra size.
    const auto placeOf = [this](const ControlLayout &row, const QWidget *parent) {
        const QSize parentDefault = parent == m_client ? defaultSize() : [&] {
            const QRect t = windowlayout::control(row.parentName).twips;
            return QSize(px(t.width()), px(t.height()));
        }();
        const int extraWidth = parent->width() - parentDefault.width();
        const int extraHeight = parent->height() - parentDefault.height();
        const QRect &t = row.twips;
        const Stretch &s = row.stretch;
        return QRect(px(t.x()) + qRound(s.x * extraWidth), px(t.y()) + qRound(s.y * extraHeight),
                     px(t.width()) + qRound(s.width * extraWidth),
                     px(t.height()) + qRound(s.height * extraHeight));
    };
    // Table order puts every frame before the controls inside it, so a parent's size is final
    // when its children are placed.
    for (const ControlLayout &row : windowlayout::controls()) {
        auto *control = findChild<QWidget *>(QString::fromLatin1(row.objectName));
        if (!control)
            continue;
        QWidget *parent = control->parentWidget();
        QRect place = placeOf(row, parent);
        // A check box or option button whose caption is wider than its place (a larger font, a
        // longer translation) reaches further right, up to the next control of its row or the
        // last few pixels of its parent.
        if (qobject_cast<QCheckBox *>(control) || qobject_cast<QRadioButton *>(control)) {
            int room = parent->width() - place.x() - px(60);
            for (const ControlLayout &other : windowlayout::controls()) {
                if (&other == &row || qstrcmp(other.parentName, row.parentName) != 0)
                    continue;
                const QRect there = placeOf(other, parent);
                // Of its row: the other control's middle is level with it.
                if (there.left() > place.left() && there.center().y() >= place.top() &&
                    there.center().y() <= place.bottom())
                    room = std::min(room, there.left() - place.left() - px(60));
            }
            place.setWidth(std::max(place.width(), std::min(control->sizeHint().width(), room)));
        }
        control->setGeometry(place);
    }
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The area gives the controls' area this size, or its least size and scroll bars.
    m_scrollArea->setGeometry(rect());
    if (isVisible())
        m_storeSize.start();
}

void MainWindow::restoreSizeOnScreen()
{
    // Smaller than its default size, the window loses height from its two lists only, down to a
    // few rows each; its width stays.
    const QSize full = defaultSize();
    int leastHeight = 0;
    for (const ControlLayout &row : windowlayout::controls()) {
        if (row.parentName || row.stretch.height <= 0)
            continue;
        const int room = px(row.twips.height()) - px(windowlayout::ListMinimumHeight);
        leastHeight = std::max(leastHeight, full.height() - int(room / row.stretch.height));
    }
    m_leastSize = QSize(full.width(), leastHeight);
    m_client->setMinimumSize(m_leastSize);
    setMinimumSize(m_leastSize);

    QSize size = defaultSize();
    try {
        if (const QSize stored = storedSize(m_settings); stored.isValid())
            size = stored;
    } catch (const Failure &) {
        // An unreadable store leaves the default size.
    }
    const QScreen *screen = this->screen();
    if (!screen) {
        resize(size.expandedTo(minimumSize()));
        return;
    }
    // The frame is not known before the window is shown; a title bar's height is kept free.
    const QRect area = screen->availableGeometry();
    const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    const QSize room = area.size() - QSize(0, titleBar);
    setMinimumSize(leastSizeWithin(room));
    m_wantedSize = size;
    size = withScrollBarRoom(size.boundedTo(room).expandedTo(minimumSize()), room);
    if (size != m_wantedSize)
        m_fittedSize = size; // the screen's choice, not the user's: not stored
    resize(size);
    QPoint topLeft = area.center() - QPoint(size.width() / 2, (size.height() + titleBar) / 2);
    topLeft.setX(std::max(area.left(), topLeft.x()));
    topLeft.setY(std::max(area.top(), topLeft.y()));
    move(topLeft);
}

QSize MainWindow::leastSizeWithin(QSize room) const
{
    // A screen too small for the controls still shows a window a user can grab and move.
    return m_leastSize.boundedTo(room).expandedTo(QSize(160, 120));
}

QSize MainWindow::withScrollBarRoom(QSize size, QSize room) const
{
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scrollArea);
    if (size.height() < m_leastSize.height())
        size.setWidth(std::max(size.width(), std::min(room.width(), m_leastSize.width() + bar)));
    if (size.width() < m_leastSize.width())
        size.setHeight(
            std::max(size.height(), std::min(room.height(), m_leastSize.height() + bar)));
    return size;
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_keptOnScreen)
        return;
    m_keptOnScreen = true;
    // The window manager adds the frame after the window is mapped.
    QTimer::singleShot(0, this, &MainWindow::keepOnScreen);
}

void MainWindow::keepOnScreen()
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QRect frame = frameGeometry();
    const QSize frameExtra = frame.size() - size();
    const QSize room = area.size() - frameExtra;
    setMinimumSize(leastSizeWithin(room));
    const QSize fitting = withScrollBarRoom(size().boundedTo(room).expandedTo(minimumSize()), room);
    // A size the screen forced is not the user's choice: it is not stored.
    if (fitting != m_wantedSize)
        m_fittedSize = fitting;
    if (fitting != size())
        resize(fitting);
    const QSize whole = fitting + frameExtra;
    QPoint topLeft = frame.topLeft();
    topLeft.setX(std::clamp(topLeft.x(), area.left(),
                            std::max(area.left(), area.right() + 1 - whole.width())));
    topLeft.setY(std::clamp(topLeft.y(), area.top(),
                            std::max(area.top(), area.bottom() + 1 - whole.height())));
    if (topLeft != frame.topLeft())
        move(topLeft);
}

void MainWindow::storeSize()
{
    m_storeSize.stop();
    QSize stored;
    try {
        stored = storedSize(m_settings);
    } catch (const Failure &) {
    }
    // A window never resized leaves no key behind.
    if (size() == stored || size() == m_fittedSize ||
        (!stored.isValid() && size() == defaultSize()))
        return;
    try {
        m_settings.saveSetting(settingkeys::WindowSize, sizeText(size()));
    } catch (const Failure &failure) {
        // Only the size of the next start is lost; the user is not interrupted for it.
        qWarning("The window size cannot be stored: %s", qUtf8Printable(failure.description()));
    }
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
    if (m_storeSize.isActive())
        storeSize(); // a resize that ended a moment ago
    // Every converter is killed and reaped before the process ends.
    m_batch->abandon();
    m_preview->abandon();
    m_converters->endAll();
    shutDown(m_deployment);
    if (m_windowOptions.endProcess)
        m_windowOptions.endProcess();
}
