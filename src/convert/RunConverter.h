#pragma once

#include "RunAndWait.h"

#include <QString>

class ProgressTarget;

// One conversion as the batch run and the preview make it: the deployed converter on the PDF,
// its text into `output` (every page, or pages 1 to 100 for a preview), waited for with
// RunAndWait (hidden, with the given progress display, caption, start value and file count).
// A typed password goes first as the owner password; when that run writes no output file (the
// file wants its open password), the same run is repeated once with the password as the user
// password. Returns how the last run ended.
ProcessResult RunConverter(const QString &pdf, const QString &output, const QString &password,
                           bool preview, ProgressTarget *progress, const QString &caption,
                           int startValue, int fileCount);
