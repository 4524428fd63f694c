// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filelist/FileListController.h"
#include "platform/RowListModel.h"
#include "platform/widgets/PointerState.h"
#include "WindowControls.h"
#include "WindowFixture.h"

#include <QItemSelectionModel>
#include <QTest>
#include <QTreeView>

// Opens the window and fills its file list.
inline WindowControls &openWith(WindowFixture &fx, const QStringList &texts)
{
    fx.open();
    fx.ui().fileRows->appendAll(texts);
    return fx.ui();
}

// The middle of a row's text, in the list's viewport.
inline QPoint rowCentre(const WindowControls &ui, int row)
{
    return ui.fileList->visualRect(ui.fileRows->index(row)).center();
}

// The selected row, or -1.
inline int selectedRow(const WindowControls &ui)
{
    return ui.fileList->selectionModel()->selectedRows().value(0).row();
}

#define VERIFY_NO_BOXES(fx)                                                                        \
    QVERIFY2((fx).services.boxes().isEmpty(), qPrintable((fx).services.describeBoxes()))
