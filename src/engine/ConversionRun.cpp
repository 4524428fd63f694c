// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionRun.h"

#include "ConversionJob.h"
#include "ConverterKind.h"
#include "StagingFolder.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

namespace {

const QString NoData = QStringLiteral("File(s) has no data.");

// One spelling per place, so that two rows aiming at the same file are seen to clash.
QString placeKey(const QString &path)
{
    return path.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

ConversionRun::ConversionRun(ConverterKind &converter, QObject *parent)
    : QObject(parent), m_converter(converter)
{
}

ConversionRun::~ConversionRun()
{
    for (Row &row : m_rows) {
        if (row.job)
            row.job->disconnect(this);
        row.job.reset(); // kills its converter
    }
    m_staging.clear();
}

QString ConversionRun::finalMessageFor(const QList<FileOutcome> &outcomes)
{
    QString failures;
    bool gotData = false;
    for (const FileOutcome &file : outcomes) {
        gotData = gotData || leftText(file.outcome);
        if (file.outcome != Outcome::Converted)
            failures += QStringLiteral("\r\n") + file.pdf + file.reason;
    }
    if (!gotData)
        return NoData;
    if (!failures.trimmed().isEmpty())
        failures.prepend(QStringLiteral("\r\nThe following files could not be read:"));
    return QStringLiteral("Done.") + failures;
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
    m_rowsByKey.clear();
    m_staging.clear();
    m_written.clear();
    m_next = m_active = m_done = 0;
    m_stopping = false;
    m_running = true;

    QSet<QString> folders;
    for (int i = 0; i < rows.size(); ++i) {
        FileOutcome file;
        file.pdf = rows.at(i);
        file.output = i < outputs.size() ? outputpaths::notOverThePdf(outputs.at(i), file.pdf)
                                         : outputpaths::forChoice(choice, file.pdf);
        m_outcomes.append(file);
        m_rows[size_t(i)].key = placeKey(file.output);
        m_rowsByKey[m_rows[size_t(i)].key].push_back(i);
        const QString folder = QFileInfo(file.output).absolutePath();
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
    for (Row &row : m_rows)
        if (row.job && !row.ended)
            row.job->stop();
    finishIfDone();
}

void ConversionRun::pump()
{
    if (m_pumping || !m_running)
        return;
    m_pumping = true;
    while (m_running && !m_stopping && m_next < int(m_rows.size()) &&
           m_active < m_limits.converters)
        if (!dispatch(m_next++))
            return; // this run was deleted while a password box was open
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
    if (m_choice.askPassword && m_askPassword) {
        const QPointer<ConversionRun> alive(this);
        password = m_askPassword(pdf); // may wait in a box; running converters go on
        if (!alive)
            return false;
    }
    if (m_stopping) {
        settle(index, Outcome::Stopped, reasons::Stopped);
        return true;
    }
    if (QFileInfo(output).isDir()) {
        settle(index, Outcome::WriteFailed, reasons::writeFailed(systemError(EISDIR)));
        return true;
    }
    QString error;
    StagingFolder *staging = stagingFor(output, error);
    if (!staging) {
        settle(index, Outcome::WriteFailed, reasons::writeFailed(error));
        return true;
    }
    row.textPath = staging->newTextPath();
    JobOrder order;
    order.pdf = pdf;
    order.password = password;
    order.textPath = row.textPath;
    row.job = m_converter.makeJob(order, m_limits);
    row.dispatched = true;
    ++m_active;
    row.clock.start();
    connect(row.job.get(), &ConversionJob::finished, this, [this, index] { onJobFinished(index); });
    emit converting(pdf);
    row.job->start();
    return true;
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

void ConversionRun::onJobFinished(int index)
{
    Row &row = m_rows[size_t(index)];
    --m_active;
    const JobResult &result = row.job->result();
    FileOutcome &file = m_outcomes[index];
    file.seconds = row.clock.elapsed() / 1000.0;
    file.pages = result.pages;
    // The job is inside its own signal: it goes once control is back in the event loop.
    ConversionJob *job = row.job.release();
    job->disconnect(this);
    job->deleteLater();
    settle(index, result.outcome, result.reason);
    pump();
}

void ConversionRun::settle(int index, Outcome outcome, const QString &reason)
{
    FileOutcome &file = m_outcomes[index];
    file.outcome = outcome;
    file.reason = outcome == Outcome::Converted ? QString() : reason;
    m_rows[size_t(index)].ended = true;
    commitReady();
}

void ConversionRun::commitReady()
{
    bool progress = true;
    while (progress) {
        progress = false;
        for (int i = 0; i < int(m_rows.size()); ++i) {
            const Row &row = m_rows[size_t(i)];
            if (!row.ended || row.committed)
                continue;
            // A text path is only numbered in row order: the earlier rows aiming at the same file
            // decide first, however fast this one was.
            bool earlierOpen = false;
            for (const int other : m_rowsByKey[row.key]) {
                if (other >= i)
                    break;
                if (!m_rows[size_t(other)].committed) {
                    earlierOpen = true;
                    break;
                }
            }
            if (!earlierOpen && commit(i))
                progress = true;
        }
    }
    finishIfDone();
}

bool ConversionRun::commit(int index)
{
    Row &row = m_rows[size_t(index)];
    FileOutcome &file = m_outcomes[index];
    if (leftText(file.outcome)) {
        QString target = file.output;
        for (int n = 2; m_written.contains(placeKey(target)); ++n)
            target = outputpaths::numbered(file.output, n);
        if (std::rename(QFile::encodeName(row.textPath).constData(),
                        QFile::encodeName(target).constData()) == 0) {
            file.output = target;
            m_written.insert(placeKey(target));
        } else {
            file.outcome = Outcome::WriteFailed;
            file.reason = reasons::writeFailed(systemError(errno));
            QFile::remove(row.textPath);
        }
    } else if (!row.textPath.isEmpty()) {
        QFile::remove(row.textPath);
    }
    row.committed = true;
    ++m_done;
    emit fileDone(index);
    emit progressed(m_done, int(m_rows.size()));
    return true;
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
