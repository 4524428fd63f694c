#pragma once

#include "platform/ErrorReport.h"
#include "platform/Services.h"

#include <QPersistentModelIndex>
#include <QString>

class CaptionProgressBar;
class PointerState;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTreeView;
class QWidget;
class RowListModel;
class SettingsStore;

// The row exchange of a drag on the file list.
struct DragState
{
    bool DragFlag = false;
    QPersistentModelIndex DragItem;   // the row being dragged; invalid once removed
    QPersistentModelIndex TargetItem; // the row under the pointer during one move
};

// What every event handler reaches: the window's controls, its pointer, the dialogs and the
// settings. The window builds it; tests build the window and call handlers through it.
struct WindowContext
{
    QWidget *Form1 = nullptr;
    QPushButton *PushButton1 = nullptr; // "Add PDF File(s)"
    QPushButton *PushButton2 = nullptr; // "Start Converting To Text"
    QPushButton *PushButton3 = nullptr; // "Clear List"
    QPushButton *PushButton4 = nullptr; // "Add All PDF File(s) In Folder"
    QPushButton *PushButton5 = nullptr; // "Help"
    QPushButton *PushButton6 = nullptr; // "Load Sample/Example Files"
    QPushButton *PushButton7 = nullptr; // "..."
    QTreeView *ListView1 = nullptr;     // the file list
    QTreeView *ListView3 = nullptr;     // the preview
    RowListModel *fileRows = nullptr;
    RowListModel *previewRows = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QCheckBox *Check1 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QLineEdit *Text1 = nullptr;
    CaptionProgressBar *ProgressBar1 = nullptr;

    PointerState *pointer = nullptr;
    Services *services = nullptr;
    SettingsStore *settings = nullptr;

    QString productName;
    QString applicationTitle;
    QString installFolder;

    bool batchBusy = false;            // a batch run is in progress
    bool settingsFailureShown = false; // the user was told that choices cannot be stored
    DragState drag;

    // Shows the error report of a failed statement.
    void ShowErrorReport(const QString &tag, int line, const QString &description) const;
    ReportFn reporter() const;

    // A message box titled with the application title.
    MessageAnswer message(const QString &text, MessageButtons buttons = MessageButtons::Ok,
                          MessageIcon icon = MessageIcon::NoIcon) const;
};
