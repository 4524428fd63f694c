#pragma once

#include <QString>

class QModelIndex;
class QPoint;
struct WindowContext;

// The selected row of the file list, or an invalid index when none is selected.
QModelIndex SelectedItem(const WindowContext &ctx);

// Joins the file list and its buttons to their handlers.
void connectFileList(WindowContext &ctx);

// Removing rows. Both ways remove the selected row and do nothing while the window is busy, with
// an empty list or with no row selected.
void ListView1_DblClick(WindowContext &ctx);
// Only the Delete key removes, whatever the modifiers; every other key is left alone.
void ListView1_KeyDown(WindowContext &ctx, int key);
// "Clear List": empties the file list unless the window is busy. The preview keeps its rows.
void PushButton3_Click(WindowContext &ctx);

// Moving a row by dragging it: press, then the item click of that press, then moves, then release.
// Each move over another row with a different text exchanges the two texts, so the dragged text
// travels with the pointer. Rows can be dragged while the window is busy.
void ListView1_MouseDown(WindowContext &ctx);
void ListView1_ItemClick(WindowContext &ctx);
// `pos` is in the list's viewport; `screenPos` is the pointer on the screen, whose height decides
// whether the neighbour of the row just reached is scrolled into view.
void ListView1_MouseMove(WindowContext &ctx, QPoint pos, QPoint screenPos);
void ListView1_MouseUp(WindowContext &ctx);

// "Add PDF File(s)": appends every file chosen in the open-files dialog, in the dialog's order.
void PushButton1_Click(WindowContext &ctx);

// The dialog's title and its filter, which admits ".pdf" in every letter case.
extern const QString AddFilesTitle;
QString PdfFileFilter();
// Shown instead of adding when the dialog cannot return that many names.
extern const QString TooManyFilesText;
