// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/MainWindow.h"
#include "platform/RowListModel.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/PointerState.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>

// The controls of a real main window, found by their object names, for tests to click and read.
struct WindowControls
{
    explicit WindowControls(MainWindow &w)
        : window(&w), fileRows(&w.fileRows()), previewRows(&w.previewRows()), pointer(&w.pointer())
    {
    }

    template <class Control> Control *find(const char *objectName) const
    {
        auto *control = window->findChild<Control *>(QString::fromLatin1(objectName));
        if (!control)
            qFatal("the window has no control %s", objectName);
        return control;
    }

    MainWindow *window;
    RowListModel *fileRows;
    RowListModel *previewRows;
    PointerState *pointer;
    QPushButton *helpButton = find<QPushButton>("PushButton5");
    QTreeView *fileList = find<QTreeView>("ListView1");
    QPushButton *addFilesButton = find<QPushButton>("PushButton1");
    QPushButton *addFolderButton = find<QPushButton>("PushButton4");
    QPushButton *clearButton = find<QPushButton>("PushButton3");
    QPushButton *samplesButton = find<QPushButton>("PushButton6");
    QGroupBox *passwordFrame = find<QGroupBox>("Frame3");
    QCheckBox *askPasswordBox = find<QCheckBox>("Check1");
    QTreeView *previewList = find<QTreeView>("ListView3");
    QGroupBox *saveFrame = find<QGroupBox>("Frame1");
    QRadioButton *saveToFolderOption = find<QRadioButton>("Option1");
    QGroupBox *outputFolderFrame = find<QGroupBox>("Frame2");
    QLineEdit *outputFolderEdit = find<QLineEdit>("Text1");
    QPushButton *browseOutputButton = find<QPushButton>("PushButton7");
    QRadioButton *saveBesidePdfOption = find<QRadioButton>("Option2");
    QPushButton *startButton = find<QPushButton>("PushButton2");
    CaptionProgressBar *progressBar = find<CaptionProgressBar>("ProgressBar1");
    QCheckBox *ocrBox = find<QCheckBox>("Check2");
    QLabel *ocrLanguageLabel = find<QLabel>("Label1");
    QComboBox *ocrLanguageList = find<QComboBox>("Combo1");
};
