// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionJob.h"
#include "Outcome.h"
#include "TextOptions.h"

#include <memory>
#include <vector>

class StagingFolder;

// The page ranges of one file in a run and their jobs: the whole range asked for, or the parts
// of a split, each with a staging text of its own. The first range to fail names the file's
// outcome and stops the others; when every range has ended, their results make the file's one
// outcome (pageranges), the texts of a split joined in page order into the first one's.
class FileRanges
{
public:
    struct Part
    {
        std::unique_ptr<ConversionJob> job;
        QString textPath;
        int firstPage = 0; // as TextOptions: 0 for the first page, the last page
        int lastPage = 0;
        bool started = false;
        bool ended = false;
        JobResult result;
    };

    // One range of the pages `text` asks for, its text at `textPath`.
    void startWhole(const QString &textPath, const TextOptions &text);

    // The file's `pageCount` pages in `count` ranges instead; the first range's text goes to the
    // whole range's path (its empty file is removed), the others' to new staging files.
    void split(const TextOptions &text, int pageCount, int count, StagingFolder &staging);

    Part &part(int index) { return m_parts[size_t(index)]; }
    bool isSplit() const { return m_split; }
    bool hasFailed() const { return m_failed; }

    // The first range not started yet; -1 when none (or when the file failed).
    int waitingPart() const;

    // The file fails with this outcome unless a range failed before; running ranges are stopped.
    void fail(Outcome outcome, const QString &reason);

    // Every started range has ended, and none waits to start unless the file failed.
    bool done() const;

    // The pages of the ranges that ended, of all of the file's ranges.
    void pagesThrough(int &done, int &total) const;

    // Settles `file` once done(): with the failure and its reason, or from the ranges' results
    // (a split's texts joined into the text at `textPath`, judged as one text).
    void settleInto(FileOutcome &file, const QString &textPath, const TextOptions &text);

    // Disconnects and kills every job still there.
    void dropJobs(QObject *receiver);

private:
    std::vector<Part> m_parts;
    bool m_split = false;
    bool m_failed = false;
    Outcome m_failure = Outcome::Stopped;
    QString m_failureReason;
};
