// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionRun.h"

#include "ConversionJob.h"
#include "ConverterKind.h"
#include "platform/CompleteFile.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"
#include "RunSummary.h"
#include "StagingFolder.h"
#include "TextJoin.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

ConversionRun::ConversionRun(ConverterKind &converter, QObject *parent)
    : QObject(parent), m_converter(converter)
{
}

ConversionRun::~ConversionRun()
{
    for (Row &row : m_rows)
        for (Part &part : row.parts) {
            if (part.job)
                part.job->disconnect(this);
            part.job.reset(); // kills its converter
        }
    m_staging.clear();
}

QString ConversionRun::finalMessage(runsummary::Words words) const
{
    return runsummary::finalMessage(m_outcomes, words);
}

void ConversionRun::start(const QStringList &rows, const OutputChoice &choice,
                          const ConversionLimits &limits, const QStringList &outputs)
{
    if (m_running)
        return;
    m_choice = choice;
    m_limits = limits;
    m_limits.converters = std::max(1, m_limits.converters);
    m_outcomes.clear();
    m_rows = std::vector<Row>(size_t(rows.size()));
    m_staging.clear();
    m_listed = outputpaths::ListedFiles(rows);
    m_rowsLeftByFolder.clear();
    m_waitingParts.clear();
    m_next = m_active = m_done = 0;
    m_stopping = false;
    m_running = true;

    QStringList firstChoices;
    for (int i = 0; i < rows.size(); ++i)
        firstChoices << (i < outputs.size() ? outputpaths::notOverThePdf(outputs.at(i), rows.at(i))
                                            : outputpaths::forChoice(choice, rows.at(i)));
    const QStringList targets = outputpaths::numberSameNames(firstChoices, m_listed);
    QSet<QString> folders;
    for (int i = 0; i < rows.size(); ++i) {
        FileOutcome file;
        file.pdf = rows.at(i);
        file.output = targets.at(i);
        file.numbered = targets.at(i) != firstChoices.at(i);
        m_outcomes.append(file);
        const QString folder = QFileInfo(file.output).absolutePath();
        ++m_rowsLeftByFolder[folder];
        if (!file.output.isEmpty() && !folders.contains(folder)) {
            folders.insert(folder);
            // What a run of a killed program left there goes before this run writes.
            StagingFolder::removeStale(folder);
        }
    }
    QMetaObject::invokeMethod(this, &ConversionRun::pump, Qt::QueuedConnection);
}

void ConversionRun::stop()
{
    if (!m_running || m_stopping)
        return;
    m_stopping = true;
    const int total = int(m_rows.size());
    while (m_next < total)
        settle(m_next++, Outcome::Stopped, reasons::Stopped);
    m_waitingParts.clear();
    for (int index = 0; index < total; ++index) {
        Row &row = m_rows[size_t(index)];
        if (!row.dispatched || row.ended)
            continue;
        failRow(index, Outcome::Stopped, reasons::Stopped); // stops its running parts
        finishRowIfDone(index); // a split none of whose ranges had started yet
    }
    finishIfDone();
}

void ConversionRun::pump()
{
    if (m_pumping || !m_running)
        return;
    m_pumping = true;
    // The ranges of a split file go before the files after it.
    while (m_running && !m_stopping && m_active < m_limits.converters) {
        if (startWaitingPart())
            continue;
        if (m_next >= int(m_rows.size()))
            break;
        if (!dispatch(m_next++))
            return; // this run was deleted while a password box was open
    }
    m_pumping = false;
    finishIfDone();
}

bool ConversionRun::dispatch(int index)
{
    Row &row = m_rows[size_t(index)];
    const QString pdf = m_outcomes.at(index).pdf;
    const QString output = m_outcomes.at(index).output;
    if (output.isEmpty()) {
        settle(index, Outcome::WriteFailed,
               reasons::writeFailed(QStringLiteral("no place for the text was chosen")));
        return true;
    }
    QString password;
    if (!m_passwords.isEmpty()) {
        password = m_passwords.first();
    } else if (m_choice.askPassword && m_askPassword) {
        const QPointer<ConversionRun> alive(this);
        password = m_askPassword(pdf); // may wait in a box; running converters go on
        if (!alive)
            return false;
    }
    if (m_stopping) {
        settle(index, Outcome::Stopped, reasons::Stopped);
        return true;
    }
    if (const QString why = CompleteFile::refusal(output); !why.isEmpty()) {
        settle(index, Outcome::WriteFailed, reasons::writeFailed(why));
        return true;
    }
    QString error;
    StagingFolder *staging = stagingFor(output, error);
    if (!staging) {
        settle(index, Outcome::WriteFailed, reasons::writeFailed(error));
        return true;
    }
    row.textPath = staging->newTextPath();
    row.password = password;
    row.staging = staging;
    row.dispatched = true;
    row.clock.start();
    // The path's file now: the service's child opens the PDF in a process of its own. A job that
    // opens it here gives the open file's identity when it ends (JobResult::opened).
    row.identity = FileIdentity::ofPath(pdf);
    m_outcomes[index].identity = row.identity;
    Part whole;
    whole.textPath = row.textPath;
    whole.firstPage = m_limits.text.firstPage;
    whole.lastPage = m_limits.text.lastPage;
    row.parts.push_back(std::move(whole));
    emit converting(pdf);
    startPart(index, 0);
    return true;
}

bool ConversionRun::startWaitingPart()
{
    while (!m_waitingParts.empty()) {
        const int index = *m_waitingParts.begin();
        Row &row = m_rows[size_t(index)];
        for (size_t part = 0; !row.failed && part < row.parts.size(); ++part)
            if (!row.parts[part].started) {
                startPart(index, int(part));
                return true;
            }
        m_waitingParts.erase(m_waitingParts.begin());
    }
    return false;
}

void ConversionRun::startPart(int index, int partIndex)
{
    Row &row = m_rows[size_t(index)];
    Part &part = row.parts[size_t(partIndex)];
    JobOrder order;
    order.pdf = m_outcomes.at(index).pdf;
    order.password = row.password;
    order.textPath = part.textPath;
    order.text = m_limits.text;
    order.text.firstPage = part.firstPage;
    order.text.lastPage = part.lastPage;
    // The converter that can count the pages as it opens the file says when it is worth a split:
    // only when fewer files wait than there are converters to keep busy, as ranges add openings
    // of the file and gain nothing while every converter has a file of its own.
    if (!row.split && m_limits.converters > 1 && int(m_rows.size()) - m_next < m_limits.converters)
        order.splitAbovePages = m_limits.ocr.isOn() ? OcrSplitAbovePages : SplitAbovePages;
    part.job = m_converter.makeJob(order, m_limits);
    part.started = true;
    ++m_active;
    connect(part.job.get(), &ConversionJob::finished, this,
            [this, index, partIndex] { onPartFinished(index, partIndex); });
    // The pages of a whole file move the progress; a split file moves it as its ranges end.
    connect(part.job.get(), &ConversionJob::pagesDone, this, [this, index](int done, int total) {
        Row &row = m_rows[size_t(index)];
        if (row.split)
            return;
        row.pageShare = total > 0 ? double(done) / total : 0;
        emit pagesDone(index, done, total);
    });
    part.job->start();
}

StagingFolder *ConversionRun::stagingFor(const QString &output, QString &error)
{
    const QString folder = QFileInfo(output).absolutePath();
    auto found = m_staging.find(folder);
    if (found == m_staging.end() || !found->second->isValid()) {
        // A folder that could not be made is tried again for the next file: it may be back.
        auto staging = std::make_unique<StagingFolder>(folder);
        found = m_staging.insert_or_assign(folder, std::move(staging)).first;
    }
    if (!found->second->isValid()) {
        error = found->second->errorText();
        return nullptr;
    }
    return found->second.get();
}

void ConversionRun::onPartFinished(int index, int partIndex)
{
    Row &row = m_rows[size_t(index)];
    Part &part = row.parts[size_t(partIndex)];
    --m_active;
    part.result = part.job->result();
    part.ended = true;
    // The job is inside its own signal: it goes once control is back in the event loop.
    ConversionJob *job = part.job.release();
    job->disconnect(this);
    job->deleteLater();
    if (part.result.outcome == Outcome::WrongPassword && !row.split && !row.failed && !m_stopping &&
        row.passwordTry + 1 < m_passwords.size()) {
        // The next password of the list, in a fresh staging file.
        QFile::remove(part.textPath);
        row.password = m_passwords.at(++row.passwordTry);
        row.textPath = part.textPath = row.staging->newTextPath();
        part.started = part.ended = false;
        startPart(index, partIndex);
        return;
    }
    if (part.result.opened.isKnown() && !row.split)
        row.identity = m_outcomes[index].identity = part.result.opened;
    // A file replaced or written while it converted gives a text of two documents, or of none.
    if (!m_stopping && pdfChanged(index))
        failRow(index, Outcome::Changed, reasons::Changed);
    else if (part.result.pagesToSplit > 0 && !row.failed && !m_stopping)
        splitRow(index, part.result.pagesToSplit);
    else if (!leftText(part.result.outcome) && !(row.split && noPageRead(part.result)))
        failRow(index, part.result.outcome, part.result.reason);
    else if (row.split)
        countSplitPages(index);
    finishRowIfDone(index);
    pump();
}

// A range none of whose pages could be read: the file's other ranges may hold text.
bool ConversionRun::noPageRead(const JobResult &result)
{
    return result.outcome == Outcome::Damaged && result.pagesRequested > 0 &&
           result.pagesUnread >= result.pagesRequested;
}

bool ConversionRun::pdfChanged(int index) const
{
    const FileIdentity &before = m_rows[size_t(index)].identity;
    return before.isKnown() && !before.sameAs(FileIdentity::ofPath(m_outcomes.at(index).pdf));
}

// The ranges of a split file done so far move its share of the progress.
void ConversionRun::countSplitPages(int index)
{
    Row &row = m_rows[size_t(index)];
    int done = 0;
    int total = 0;
    for (const Part &part : row.parts) {
        const int pages = part.lastPage - part.firstPage + 1;
        total += pages;
        if (part.ended)
            done += pages;
    }
    if (row.ended || total <= 0)
        return;
    row.pageShare = double(done) / total;
    emit pagesDone(index, done, total);
}

void ConversionRun::splitRow(int index, int pageCount)
{
    Row &row = m_rows[size_t(index)];
    const TextOptions &text = m_limits.text;
    const int first = std::max(1, text.firstPage);
    const int last = text.lastPage < 1 || text.lastPage > pageCount ? pageCount : text.lastPage;
    const int pages = last - first + 1;
    const int count =
        std::clamp(pages / (m_limits.ocr.isOn() ? OcrMinimumRangePages : MinimumRangePages), 2,
                   std::max(2, RangesPerConverter * m_limits.converters));
    QFile::remove(row.textPath); // the converter made it and wrote nothing
    row.split = true;
    row.parts.clear();
    for (int i = 0; i < count; ++i) {
        Part part;
        part.firstPage = first + int(qint64(pages) * i / count);
        part.lastPage = first + int(qint64(pages) * (i + 1) / count) - 1;
        part.textPath = i == 0 ? row.textPath : row.staging->newTextPath();
        row.parts.push_back(std::move(part));
    }
    m_waitingParts.insert(index);
}

void ConversionRun::failRow(int index, Outcome outcome, const QString &reason)
{
    Row &row = m_rows[size_t(index)];
    if (row.failed)
        return; // the first range to fail names the file's reason
    row.failed = true;
    row.failure = outcome;
    row.failureReason = reason;
    m_waitingParts.erase(index);
    for (Part &part : row.parts)
        if (part.job && !part.ended)
            part.job->stop();
}

void ConversionRun::finishRowIfDone(int index)
{
    Row &row = m_rows[size_t(index)];
    if (row.ended)
        return;
    for (const Part &part : row.parts)
        if (part.started ? !part.ended : !row.failed)
            return;
    FileOutcome &file = m_outcomes[index];
    file.seconds = row.clock.elapsed() / 1000.0;
    if (row.failed) {
        for (const Part &part : row.parts)
            if (part.textPath != row.textPath)
                QFile::remove(part.textPath);
        settle(index, row.failure, row.failureReason);
        return;
    }
    if (!row.split) {
        const JobResult &result = row.parts.front().result;
        file.pages = result.pages;
        file.ocrPages = result.ocrPages;
        file.ocrConfidence = result.ocrConfidence;
        file.pagesRequested = result.pagesRequested;
        file.pagesUnread = result.pagesUnread;
        file.unreadPages = result.unreadPages;
        file.ocr = result.ocr;
        settle(index, result.outcome, result.reason);
        return;
    }
    QStringList rest;
    file.pages = 0;
    double confidenceSum = 0;
    for (const Part &part : row.parts) {
        if (part.textPath != row.textPath)
            rest << part.textPath;
        const int pages = noPageRead(part.result) ? 0 : part.result.pages;
        file.pages = pages < 0 || file.pages < 0 ? -1 : file.pages + pages;
        file.ocr.add(part.result.ocr);
        if (part.result.ocrConfidence >= 0) {
            file.ocrPages += part.result.ocrPages;
            confidenceSum += part.result.ocrConfidence * part.result.ocrPages;
        }
        file.pagesRequested += part.result.pagesRequested;
        file.pagesUnread += part.result.pagesUnread;
        if (!part.result.unreadPages.isEmpty())
            file.unreadPages += (file.unreadPages.isEmpty() ? QString() : QStringLiteral(",")) +
                                part.result.unreadPages;
    }
    if (file.ocrPages > 0)
        file.ocrConfidence = confidenceSum / file.ocrPages;
    if (file.pagesRequested > 0 && file.pagesUnread >= file.pagesRequested) {
        for (const QString &path : std::as_const(rest))
            QFile::remove(path);
        settle(index, Outcome::Damaged, reasons::Damaged);
        return;
    }
    const JoinedText joined = joinTexts(row.textPath, rest, m_limits.text);
    if (joined.outcome == Outcome::Converted && !file.ocr.doubtful.isEmpty())
        settle(index, Outcome::OcrDoubtful, reasons::ocrDoubtful(file.ocr.doubtful));
    else
        settle(index, joined.outcome, joined.reason);
}

void ConversionRun::settle(int index, Outcome outcome, const QString &reason)
{
    FileOutcome &file = m_outcomes[index];
    file.outcome = outcome;
    file.reason = outcome == Outcome::Converted ? QString() : reason;
    m_rows[size_t(index)].ended = true;
    commit(index);
    finishIfDone();
}

// Every row has a text path of its own (numbered at the start), so a row is put in place as soon as
// it ends, whichever converter finishes first.
void ConversionRun::commit(int index)
{
    Row &row = m_rows[size_t(index)];
    FileOutcome &file = m_outcomes[index];
    if (leftText(file.outcome)) {
        if (const QString error = CompleteFile::putInPlace(row.textPath, file.output);
            !error.isEmpty()) {
            file.outcome = Outcome::WriteFailed;
            file.reason = reasons::writeFailed(error);
        }
    } else if (!row.textPath.isEmpty()) {
        QFile::remove(row.textPath);
    }
    row.committed = true;
    // The folder's last file is done: its staging folder and lock go now, not at the run's end.
    const QString folder = QFileInfo(file.output).absolutePath();
    if (--m_rowsLeftByFolder[folder] == 0)
        m_staging.erase(folder);
    ++m_done;
    emit fileDone(index);
    emit progressed(m_done, int(m_rows.size()));
}

double ConversionRun::filesDone() const
{
    double done = m_done;
    for (const Row &row : m_rows)
        if (row.dispatched && !row.committed)
            done += row.pageShare;
    return done;
}

void ConversionRun::finishIfDone()
{
    if (!m_running || m_pumping || m_done < int(m_rows.size()))
        return;
    m_staging.clear(); // before the final message shows
    m_running = false;
    // From the event loop, so that a receiver may delete this run.
    QMetaObject::invokeMethod(this, &ConversionRun::finished, Qt::QueuedConnection);
}
