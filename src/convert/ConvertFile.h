#pragma once

#include <QString>

#include <memory>

class ProgressTarget;
class TemporaryFolder;

enum class ConvertMode
{
    Batch,   // every page
    Preview, // pages 1 to 100
};

// Private folders beside the outputs where the converter writes before its text is put in place.
// One folder serves every output of the same folder in turn, so a batch makes one per output
// folder rather than one per file; each goes when the next folder is needed or the area goes.
class StagingArea
{
public:
    StagingArea();
    ~StagingArea();
    StagingArea(const StagingArea &) = delete;
    StagingArea &operator=(const StagingArea &) = delete;

    // An empty path, beside `output`, for the converter to write to; "" when no private folder
    // can be made there (the folder is missing or not writable).
    QString stagedPathFor(const QString &output);

private:
    QString m_folder;
    std::unique_ptr<TemporaryFolder> m_dir;
};

// Runs the converter for one PDF and waits for it (see RunAndWait for the progress display).
// The converter writes into the staging area; its file replaces `output` only when it was
// written, so a text file left from an earlier run is never taken for this run's result.
// A typed password is offered as the owner password and, when that gives no text, once more as
// the password that opens the file. Returns true when this run produced `output`. Throws Failure
// when the text was written but could not be put in place.
bool ConvertFile(StagingArea &staging, const QString &pdf, const QString &output,
                 const QString &password, ConvertMode mode, ProgressTarget *progress = nullptr,
                 const QString &caption = QString(), int startValue = 0, int fileCount = 0);
