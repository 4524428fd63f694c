// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class MainWindow;
class QCursor;
class QWidget;

// Runs once before the window is first shown: look, caption, list columns, the user's last
// choices and the converter. A failing step is reported and start-up goes on.
void runStartUp(MainWindow &window, const QString &installFolder);

// The application title for a product name: cut back to the words before its last blank, and on
// while longer than 40 characters. A name without a blank keeps the whole name.
QString setApplicationTitle(const QString &productName);

// When "x/o.cjs" lies in the install folder, gives the window the button-face colour and applies
// the file to it as a style sheet. Throws Failure when the skin cannot be read.
void applySkin(QWidget &window, const QString &installFolder);

// Loads a pointer picture (.cur or any image Qt reads) with its hot spot. Throws Failure when the
// file is not a picture.
QCursor loadPointerPicture(const QString &path);
