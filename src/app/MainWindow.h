// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/widgets/MessageBoxes.h"

#include <functional>
#include <memory>
#include <QHash>
#include <QStringList>
#include <QWidget>

class BatchController;
class CaptionProgressBar;
class ConverterDeployment;
class SessionConverters;
class FileDropController;
class FileListController;
class FolderScanController;
class OcrOptionController;
class OptionsController;
class PointerState;
class PreviewController;
class QAbstractButton;
class QLabel;
class QPushButton;
class QScrollArea;
class QTreeView;
class RowListModel;
class SampleFilesController;
class SettingsStore;
class WindowFit;
struct ControlLayout;

// The program's one window. It builds the controls from the layout table, owns one controller
// per feature and joins the controls' signals to them, runs the start-up sequence, and ends the
// process when it is closed. At its default size every control is where the table puts it; the
// window can be made smaller down to lists of a few rows, and larger without limit (the two lists
// take the room). On a screen lower or narrower than that least size the window fits the screen
// and its controls scroll. It keeps the size the user gave it between sessions.
class MainWindow final : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int mousePointer READ mousePointer NOTIFY mousePointerChanged)

public:
    struct Options
    {
        QString installFolder;            // where the optional files are looked for
        std::function<void()> endProcess; // ends the program at once; tests replace it
        QStringList startFiles = {}; // added after start-up as a drop of these paths would add them
        // The program that serves as the converter service (with --converter-service); "" for
        // none, which leaves pdftotext to convert.
        QString serviceProgram = {};
    };

    // `deployment` is put in place at the end of start-up and removed when the window closes; it
    // outlives the window.
    MainWindow(Services &services, SettingsStore &settings, ConverterDeployment &deployment,
               Options options);
    ~MainWindow() override;

    int mousePointer() const;
    // Pixels for a length in twips at the screen's logical resolution.
    int px(int twips) const;
    // The client size of the layout table.
    QSize defaultSize() const;
    // The least size of the controls' area: lists of a few rows. The window itself may be smaller
    // on a small screen; the area then scrolls.
    QSize leastSize() const;
    // The parent of the controls the layout table places in the window; it fills the window, or
    // scrolls inside it when the window is smaller than the least size.
    QWidget *clientArea() const { return m_client; }
    QScrollArea *scrollArea() const { return m_scrollArea; }

    PointerState &pointer() { return *m_pointer; }
    MessageBoxes &boxes() { return m_boxes; }
    RowListModel &fileRows() { return *m_fileRows; }
    RowListModel &previewRows() { return *m_previewRows; }
    QTreeView *fileListView() const { return m_fileListView; }
    QTreeView *previewListView() const { return m_previewListView; }

    FileListController &fileList() { return *m_fileList; }
    FolderScanController &folderScan() { return *m_folderScan; }
    FileDropController &fileDrop() { return *m_fileDrop; }
    SampleFilesController &sampleFiles() { return *m_sampleFiles; }
    OptionsController &options() { return *m_optionsController; }
    OcrOptionController &ocrOption() { return *m_ocrOption; }
    BatchController &batch() { return *m_batch; }
    PreviewController &preview() { return *m_preview; }
    ConverterDeployment &deployment() { return m_deployment; }
    SettingsStore &settings() { return m_settings; }

    static const char *const ProductName;

signals:
    void mousePointerChanged(int value);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The controls the window connects to its controllers; the others it only places.
    struct Controls
    {
        QPushButton *help;
        QPushButton *addFiles;
        QPushButton *addFolder;
        QPushButton *clear;
        QPushButton *samples;
        QPushButton *start;
        CaptionProgressBar *progressBar;
    };

    template <class Control> Control *createControl(const char *objectName);
    QPushButton *createButton(const char *objectName);
    QTreeView *createList(const char *objectName, RowListModel *model);
    Controls createControls();
    void createControllers(const Controls &controls, SettingsStore &settings);
    void connectControls(const Controls &controls);
    void createShortcuts(const Controls &controls);
    void layOutControls();
    void watchHover(QWidget *widget, int pointer);
    void showBusyWhileWorking(int pointer);
    void previewCurrentFile();

    Options m_windowOptions;
    ConverterDeployment &m_deployment;
    SettingsStore &m_settings;
    std::unique_ptr<SessionConverters> m_converters;
    MessageBoxes m_boxes;
    qreal m_dpi = 96;
    QScrollArea *m_scrollArea = nullptr;
    QLabel *m_languageLabel = nullptr;
    QWidget *m_client = nullptr;
    PointerState *m_pointer = nullptr;
    RowListModel *m_fileRows = nullptr;
    RowListModel *m_previewRows = nullptr;
    QTreeView *m_fileListView = nullptr;
    QTreeView *m_previewListView = nullptr;
    QHash<QObject *, int> m_hoverPointer;
    // A key that moves through the file list is being handled: the new current row is previewed.
    bool m_keyMovesInFileList = false;
    WindowFit *m_fit = nullptr;

    FileListController *m_fileList = nullptr;
    FolderScanController *m_folderScan = nullptr;
    FileDropController *m_fileDrop = nullptr;
    SampleFilesController *m_sampleFiles = nullptr;
    OptionsController *m_optionsController = nullptr;
    OcrOptionController *m_ocrOption = nullptr;
    BatchController *m_batch = nullptr;
    PreviewController *m_preview = nullptr;
};
