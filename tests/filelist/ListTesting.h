#pragma once

#include "app/WindowContext.h"
#include "filelist/RowListModel.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QStringList>
#include <QTreeView>

// Small helpers the file-list tests share: fill the list, point at a row, read what it holds.
namespace listtesting {

inline void fill(WindowContext &ctx, const QStringList &texts)
{
    for (const QString &text : texts)
        ctx.fileRows->append(text);
}

inline QStringList rows(const WindowContext &ctx)
{
    return ctx.fileRows->texts();
}

// The middle of a row's text, in the list's viewport.
inline QPoint rowCentre(const WindowContext &ctx, int row)
{
    return ctx.ListView1->visualRect(ctx.fileRows->index(row)).center();
}

// Selects a row as the keyboard would, without a click (a click would also start a preview).
inline void selectRow(WindowContext &ctx, int row)
{
    ctx.ListView1->selectionModel()->setCurrentIndex(
        ctx.fileRows->index(row), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

// The selected row, or -1.
inline int selectedRow(const WindowContext &ctx)
{
    const QModelIndexList selected = ctx.ListView1->selectionModel()->selectedRows();
    return selected.size() == 1 ? selected.front().row() : -1;
}

} // namespace listtesting
