#pragma once

#include "app/WindowContext.h"
#include "filelist/RowListModel.h"
#include "platform/PointerState.h"
#include "WindowFixture.h"

#include <QItemSelectionModel>
#include <QTest>
#include <QTreeView>

// Opens the window and fills its file list.
inline WindowContext &openWith(WindowFixture &fx, const QStringList &texts)
{
    fx.open();
    fx.ctx().fileRows->appendAll(texts);
    return fx.ctx();
}

// The middle of a row's text, in the list's viewport.
inline QPoint rowCentre(const WindowContext &ctx, int row)
{
    return ctx.ListView1->visualRect(ctx.fileRows->index(row)).center();
}

// The selected row, or -1.
inline int selectedRow(const WindowContext &ctx)
{
    return ctx.ListView1->selectionModel()->selectedRows().value(0).row();
}

#define VERIFY_NO_BOXES(fx)                                                                        \
    QVERIFY2((fx).services.boxes().isEmpty(), qPrintable((fx).services.describeBoxes()))
