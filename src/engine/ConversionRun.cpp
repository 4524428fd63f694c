// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionRun.h"

#include "ConversionJob.h"
#include "ConverterKind.h"
#include "FileRanges.h"
#include "PageRanges.h"
#include "JsonLinesFile.h"
#include "platform/CompleteFile.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"
#include "RunSummary.h"
#include "StagingFolder.h"

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
        row.ranges.dropJobs(this);
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
    m_pageShares = 0;
    m_stopping = false;
    m_running = true;

    const QString extension = textoptions::outputExtension(m_limits.text);
    QStringList firstChoices;
    for (int i = 0; i < rows.size(); ++i)
        firstChoices << (i < outputs.size()
                             ? outputpaths::notOverThePdf(outputs.at(i), rows.at(i), extension)
                             : outputpaths::forChoice(choice, rows.at(i), extension));
    const QStringList targets = outputpaths::numberSameNames(firstChoices, m_listed, extension);
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
    row.ranges.startWhole(row.textPath, m_limits.text);
    emit converting(pdf);
    startPart(index, 0);
    return true;
}

bool ConversionRun::startWaitingPart()
{
    while (!m_waitingParts.empty()) {
        const int index = *m_waitingParts.begin();
        const int part = m_rows[size_t(index)].ranges.waitingPart();
        if (part >= 0) {
            startPart(index, part);
            return true;
        }
        m_waitingParts.erase(m_waitingParts.begin());
    }
    return false;
}

void ConversionRun::startPart(int index, int partIndex)
{
    Row &row = m_rows[size_t(index)];
    FileRanges::Part &part = row.ranges.part(partIndex);
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
    if (!row.ranges.isSplit() && m_limits.converters > 1 &&
        int(m_rows.size()) - m_next < m_limits.converters)
        order.splitAbovePages = m_limits.ocr.isOn() ? OcrSplitAbovePages : SplitAbovePages;
    order.documentInfo = m_limits.text.jsonLines != TextOptions::JsonLines::Off && partIndex == 0;
    order.pageBefore = partIndex > 0 ? part.firstPage - 1 : 0;
    part.job = m_converter.makeJob(order, m_limits);
    part.started = true;
    ++m_active;
    connect(part.job.get(), &ConversionJob::finished, this,
            [this, index, partIndex] { onPartFinished(index, partIndex); });
    // The pages of a whole file move the progress; a split file moves it as its ranges end.
    connect(part.job.get(), &ConversionJob::pagesDone, this, [this, index](int done, int total) {
        Row &row = m_rows[size_t(index)];
        if (row.ranges.isSplit())
            return;
        setPageShare(row, total > 0 ? double(done) / total : 0);
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
    FileRanges::Part &part = row.ranges.part(partIndex);
    --m_active;
    part.result = part.job->result();
    // A finished range keeps its outcome and reason; what the converter said was read above.
    part.result.errorOutput = QString();
    part.ended = true;
    // The job is inside its own signal: it goes once control is back in the event loop.
    ConversionJob *job = part.job.release();
    job->disconnect(this);
    job->deleteLater();
    if (part.result.outcome == Outcome::WrongPassword && !row.ranges.isSplit() &&
        !row.ranges.hasFailed() && !m_stopping && row.passwordTry + 1 < m_passwords.size()) {
        // The next password of the list, in a fresh staging file.
        QFile::remove(part.textPath);
        row.password = m_passwords.at(++row.passwordTry);
        row.textPath = part.textPath = row.staging->newTextPath();
        part.started = part.ended = false;
        startPart(index, partIndex);
        return;
    }
    if (part.result.opened.isKnown() && !row.ranges.isSplit())
        row.identity = m_outcomes[index].identity = part.result.opened;
    // A file replaced or written while it converted gives a text of two documents, or of none.
    if (!m_stopping && pdfChanged(index))
        failRow(index, Outcome::Changed, reasons::Changed);
    else if (part.result.pagesToSplit > 0 && !row.ranges.hasFailed() && !m_stopping)
        splitRow(index, part.result.pagesToSplit);
    else if (!leftText(part.result.outcome) &&
             !(row.ranges.isSplit() && pageranges::noPageRead(part.result)))
        failRow(index, part.result.outcome, part.result.reason);
    else if (row.ranges.isSplit())
        countSplitPages(index);
    finishRowIfDone(index);
    pump();
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
    row.ranges.pagesThrough(done, total);
    if (row.ended || total <= 0)
        return;
    setPageShare(row, double(done) / total);
    emit pagesDone(index, done, total);
}

void ConversionRun::splitRow(int index, int pageCount)
{
    Row &row = m_rows[size_t(index)];
    const TextOptions::Pages pages = m_limits.text.pagesOf(pageCount);
    const int count =
        std::clamp((pages.last - pages.first + 1) /
                       (m_limits.ocr.isOn() ? OcrMinimumRangePages : MinimumRangePages),
                   2, std::max(2, RangesPerConverter * m_limits.converters));
    row.ranges.split(m_limits.text, pageCount, count, *row.staging);
    m_waitingParts.insert(index);
}

void ConversionRun::failRow(int index, Outcome outcome, const QString &reason)
{
    m_waitingParts.erase(index);
    m_rows[size_t(index)].ranges.fail(outcome, reason);
}

void ConversionRun::finishRowIfDone(int index)
{
    Row &row = m_rows[size_t(index)];
    if (row.ended || !row.ranges.done())
        return;
    FileOutcome &file = m_outcomes[index];
    file.seconds = row.clock.elapsed() / 1000.0;
    row.ranges.settleInto(file, row.textPath, m_limits.text);
    settled(index);
}

void ConversionRun::settle(int index, Outcome outcome, const QString &reason)
{
    pageranges::settle(m_outcomes[index], outcome, reason);
    settled(index);
}

void ConversionRun::settled(int index)
{
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
        const QString error =
            m_limits.text.jsonLines == TextOptions::JsonLines::Off
                ? CompleteFile::putInPlace(row.textPath, file.output)
                : jsonlinesfile::putInPlace(row.textPath, file, m_limits.text);
        if (!error.isEmpty()) {
            file.outcome = Outcome::WriteFailed;
            file.reason = reasons::writeFailed(error);
        }
    } else if (!row.textPath.isEmpty()) {
        QFile::remove(row.textPath);
    }
    file.facts = PageFacts(); // a long run keeps every row's outcome, not its pages
    row.committed = true;
    setPageShare(row, 0);
    // A done row keeps its outcome (m_outcomes) and nothing of its conversion: every range has
    // ended and handed its job back.
    row.ranges = FileRanges();
    row.textPath = row.password = QString();
    // The folder's last file is done: its staging folder and lock go now, not at the run's end.
    const QString folder = QFileInfo(file.output).absolutePath();
    if (--m_rowsLeftByFolder[folder] == 0)
        m_staging.erase(folder);
    ++m_done;
    emit fileDone(index);
    emit progressed(m_done, int(m_rows.size()));
}

void ConversionRun::setPageShare(Row &row, double share)
{
    m_pageShares += share - row.pageShare;
    row.pageShare = share;
}

double ConversionRun::filesDone() const
{
    // The shares are added and taken away as rows move: rounding may leave a trace below zero.
    return m_done + std::max(0.0, m_pageShares);
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
