#pragma once

#include <QString>

class ProgressTarget;

enum class ConvertMode
{
    Batch,   // every page
    Preview, // pages 1 to 100
};

// Runs the converter for one PDF and waits for it (see RunAndWait for the progress display).
// The converter writes into a private folder beside `output`; its file replaces `output` only when
// it was written, so a text file left from an earlier run is never taken for this run's result.
// A typed password is offered as the owner password and, when that gives no text, once more as
// the password that opens the file. Returns true when this run produced `output`. Throws Failure
// when the text was written but could not be put in place.
bool ConvertFile(const QString &pdf, const QString &output, const QString &password,
                 ConvertMode mode, ProgressTarget *progress = nullptr,
                 const QString &caption = QString(), int startValue = 0, int fileCount = 0);
