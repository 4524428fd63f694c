// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileRanges.h"

#include "PageRanges.h"
#include "StagingFolder.h"

#include <QFile>

void FileRanges::startWhole(const QString &textPath, const TextOptions &text)
{
    Part whole;
    whole.textPath = textPath;
    whole.firstPage = text.firstPage;
    whole.lastPage = text.lastPage;
    m_parts.push_back(std::move(whole));
}

void FileRanges::split(const TextOptions &text, int pageCount, int count, StagingFolder &staging)
{
    const QString firstText = m_parts.front().textPath;
    QFile::remove(firstText); // the converter made it and wrote nothing
    m_split = true;
    m_parts.clear();
    for (const TextOptions::Pages &range : pageranges::split(text, pageCount, count)) {
        Part part;
        part.firstPage = range.first;
        part.lastPage = range.last;
        part.textPath = m_parts.empty() ? firstText : staging.newTextPath();
        m_parts.push_back(std::move(part));
    }
}

int FileRanges::waitingPart() const
{
    for (size_t part = 0; !m_failed && part < m_parts.size(); ++part)
        if (!m_parts[part].started)
            return int(part);
    return -1;
}

void FileRanges::fail(Outcome outcome, const QString &reason)
{
    if (m_failed)
        return; // the first range to fail names the file's reason
    m_failed = true;
    m_failure = outcome;
    m_failureReason = reason;
    for (Part &part : m_parts)
        if (part.job && !part.ended)
            part.job->stop();
}

bool FileRanges::done() const
{
    for (const Part &part : m_parts)
        if (part.started ? !part.ended : !m_failed)
            return false;
    return true;
}

void FileRanges::pagesThrough(int &done, int &total) const
{
    done = total = 0;
    for (const Part &part : m_parts) {
        const int pages = part.lastPage - part.firstPage + 1;
        total += pages;
        if (part.ended)
            done += pages;
    }
}

void FileRanges::settleInto(FileOutcome &file, const QString &textPath, const TextOptions &text)
{
    QList<JobResult> results;
    QStringList rest;
    for (const Part &part : m_parts) {
        results << part.result;
        if (part.textPath != textPath)
            rest << part.textPath;
    }
    if (m_failed) {
        for (const QString &path : std::as_const(rest))
            QFile::remove(path);
        pageranges::settle(file, m_failure, m_failureReason);
        return;
    }
    pageranges::gather(file, results);
    QList<PageFacts> facts;
    for (const JobResult &result : std::as_const(results))
        facts << result.facts;
    file.facts = pagefacts::joined(facts);
    if (m_split)
        pageranges::settleJoined(file, textPath, rest, text);
    else
        pageranges::settle(file, results.front().outcome, results.front().reason);
}

void FileRanges::dropJobs(QObject *receiver)
{
    for (Part &part : m_parts) {
        if (part.job)
            part.job->disconnect(receiver);
        part.job.reset(); // kills its converter
    }
}
