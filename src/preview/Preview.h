#pragma once

#include <QString>

struct WindowContext;

// A click on the file list: shows up to 100 lines of pages 1 to 100 of the selected file in the
// preview list, or one row that says why there is no text.
void ListView1_Click(WindowContext &ctx);

// The most lines the preview shows.
constexpr int PreviewLineLimit = 100;

// The rows shown instead of text, for a file named `name` (its file name without the extension).
QString ProtectedRow(const QString &name);
QString UnreadableRow(const QString &name);
