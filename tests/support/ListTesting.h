// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filelist/FileListController.h"
#include "platform/RowListModel.h"
#include "platform/widgets/PointerState.h"
#include "WindowControls.h"
#include "WindowFixture.h"

#include <QCoreApplication>
#include <QDropEvent>
#include <QItemSelectionModel>
#include <QMimeData>
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

// Sends a drag carrying `data` over the list, then drops it; answers whether the drag was taken.
inline bool dragAndDrop(WindowControls &ui, QMimeData &data)
{
    QWidget *viewport = ui.fileList->viewport();
    const QPoint at(20, 20);
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    const bool accepted = enter.isAccepted();
    if (accepted) {
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &drop);
    }
    return accepted;
}
