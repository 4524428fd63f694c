// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionRun.h"

#include "ConversionJob.h"
#include "ConverterKind.h"
#include "RunSummary.h"
#include "StagingFolder.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

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
    for (Row &row : m_rows) {
        if (row.job)
            row.job->disconnect(this);
        row.job.reset(); // kills its converter
    }
    m_staging.clear();
}

QString ConversionRun::finalMessage() const
{
    return runsummary::finalMessage(m_outcomes, m_stopping);
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
    if (files::isFolder(output)) {
        settle(index, Outcome::WriteFailed, reasons::writeFailed(systemError(EISDIR)));
        return true;
    }
    QString error;
    StagingFolder *staging = stagingFor(output, error);
    if (!staging) {
        settle(index, Outcome::WriteFailed, reasons::writeFailed(error));
        return true;
    }
    row.dispatched = true;
    ++m_active;
    row.clock.start();
    startJob(index, *staging, password);
    return true;
}

void ConversionRun::startJob(int index, StagingFolder &staging, const QString &password)
{
    Row &row = m_rows[size_t(index)];
    row.textPath = staging.newTextPath();
    JobOrder order;
    order.pdf = m_outcomes.at(index).pdf;
    order.password = password;
    order.textPath = row.textPath;
    row.job = m_converter.makeJob(order, m_limits);
    connect(row.job.get(), &ConversionJob::finished, this, [this, index] { onJobFinished(index); });
    connect(row.job.get(), &ConversionJob::pagesDone, this, [this, index](int done, int total) {
        m_rows[size_t(index)].pageShare = total > 0 ? double(done) / total : 0;
        emit pagesDone(index, done, total);
    });
    emit converting(order.pdf);
    row.job->start();
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
    const JobResult &result = row.job->result();
    if (result.outcome == Outcome::WrongPassword && !m_stopping &&
        row.passwordTry + 1 < m_passwords.size()) {
        // The next password, in a fresh staging file; the refused job goes from the event loop.
        QString error;
        if (StagingFolder *staging = stagingFor(m_outcomes.at(index).output, error)) {
            ConversionJob *refused = row.job.release();
            refused->disconnect(this);
            refused->deleteLater();
            QFile::remove(row.textPath);
            startJob(index, *staging, m_passwords.at(++row.passwordTry));
            return;
        }
    }
    --m_active;
    FileOutcome &file = m_outcomes[index];
    file.seconds = row.clock.elapsed() / 1000.0;
    file.pages = result.pages;
    file.ocrPages = result.ocrPages;
    file.ocrConfidence = result.ocrConfidence;
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
        if (std::rename(nativepath::encode(row.textPath).constData(),
                        nativepath::encode(file.output).constData()) != 0) {
            file.outcome = Outcome::WriteFailed;
            file.reason = reasons::writeFailed(systemError(errno));
            QFile::remove(row.textPath);
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
