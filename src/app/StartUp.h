// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class ConverterDeployment;
class MessageBoxes;
class OptionsController;
class PointerState;
class QCursor;
class QTreeView;
class QWidget;
class SettingsStore;

// What start-up sets up: the window itself, its two lists, its boxes and pointer, the options
// it restores and the converter it may put in place.
struct StartUpParts
{
    QWidget &window;
    QString productName;
    MessageBoxes &boxes;
    PointerState &pointer;
    QTreeView &fileList;
    QTreeView &previewList;
    OptionsController &options;
    const SettingsStore &settings;
    ConverterDeployment &deployment;
};

// Runs once before the window is first shown: look, caption, list columns, the user's last
// choices and the converter. A failing step is reported and start-up goes on.
void runStartUp(const StartUpParts &parts, const QString &installFolder);

// The application title for a product name: cut back to the words before its last blank, and on
// while longer than 40 characters. A name without a blank keeps the whole name.
QString setApplicationTitle(const QString &productName);

// When "x/o.cjs" lies in the install folder, gives the window the button-face colour and applies
// the file to it as a style sheet. Throws Failure when the skin cannot be read.
void applySkin(QWidget &window, const QString &installFolder);

// Loads a pointer picture (.cur or any image Qt reads) with its hot spot. Throws Failure when the
// file is not a picture.
QCursor loadPointerPicture(const QString &path);
