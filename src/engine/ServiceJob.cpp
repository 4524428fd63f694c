// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceJob.h"

#include "ConverterKind.h"
#include "PageFacts.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"
#include "service/ConverterServiceClient.h"
#include "service/ServicePool.h"
#include "ServiceEndings.h"
#include "ServiceRequest.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

ServiceJob::ServiceJob(ServicePool &pool, ConverterKind &fallback, JobOrder order,
                       ConversionLimits limits, QObject *parent)
    : ConversionJob(parent), m_pool(&pool), m_fallbackKind(fallback), m_order(std::move(order)),
      m_limits(limits), m_text(m_order.textPath)
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &ServiceJob::serviceSilent);
    connect(&m_silence, &IdleWatch::expired, this, &ServiceJob::serviceSilent);
    expectText(m_order.text);
}

ServiceJob::~ServiceJob()
{
    if (m_open && m_pool)
        m_service->cancel(m_id); // its child is killed; the service stays for the next file
    releaseService();
}

void ServiceJob::start()
{
    if (!m_pool || m_pool->isUnavailable()) {
        turnToFallback();
        return;
    }
    // A file that is gone or cannot be read is named with the system's reason, not as damage.
    QString unreadable;
    const int pdf = nativepath::openForReading(m_order.pdf, unreadable);
    if (pdf < 0) {
        endLater(Outcome::CannotRead, reasons::cannotRead(unreadable));
        return;
    }
    ::close(pdf);
    if (!m_text.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        endLater(Outcome::WriteFailed, reasons::writeFailed(m_text.errorString()));
        return;
    }
    m_service = m_pool->take();
    connect(m_service, &ConverterServiceClient::textArrived, this, &ServiceJob::takeText);
    connect(m_service, &ConverterServiceClient::finished, this, &ServiceJob::onFinished);
    connect(m_service, &ConverterServiceClient::pagesDone, this,
            [this](quint32 id, int done, int total) {
                if (id != m_id || m_aborted || m_ended)
                    return;
                // A page read (by OCR too) is progress, whether or not it gave text; the page
                // count told at opening is not.
                m_silence.pagesDone(done);
                emit pagesDone(done, total);
            });
    // The service's own clock restarts with its ready message.
    connect(m_service, &ConverterServiceClient::ready, this, [this] {
        if (m_silence.isActive() && !m_aborted)
            watchService(ConversionLimits::idleMilliseconds(m_limits.idleSeconds));
    });
    m_open = true;
    m_id = m_service->convert(servicerequest::of(m_order, m_limits));
    watchService(ConversionLimits::idleMilliseconds(m_limits.idleSeconds));
}

void ServiceJob::watchService(int milliseconds)
{
    // The service stops its child at the time limit and answers at once; this much later it is
    // taken for frozen.
    constexpr std::chrono::milliseconds Grace(2000);
    if (milliseconds <= 0) {
        m_silence.stop();
        return;
    }
    m_silence.start(std::chrono::milliseconds(milliseconds) + Grace);
}

void ServiceJob::serviceSilent()
{
    if (!m_open || !m_pool || m_ended)
        return;
    if (!m_aborted) {
        m_aborted = true;
        m_result.outcome = Outcome::TimeLimit;
        m_result.reason = reasons::timeLimit(m_limits.idleSeconds);
    }
    m_service->killUnanswering(); // finished() follows as the service's end is signalled
}

void ServiceJob::stop()
{
    if (m_ended)
        return;
    if (m_fallback) {
        m_fallback->stop();
        return;
    }
    if (m_open && m_pool) {
        abort(Outcome::Stopped, reasons::Stopped);
        return;
    }
    m_aborted = true;
    endLater(Outcome::Stopped, reasons::Stopped);
}

void ServiceJob::abort(Outcome outcome, const QString &reason)
{
    if (m_aborted || m_ended)
        return;
    m_aborted = true;
    m_result.outcome = outcome;
    m_result.reason = reason;
    if (m_open && m_pool) {
        m_service->cancel(m_id); // finished() follows with the child's end
        // A service answers a cancel at once; one that does not is killed: the file is stopped
        // either way, and the next file starts the service again.
        m_silence.stop();
        m_watchdog.start(300);
    }
}

void ServiceJob::takeText(quint32 id, const QByteArray &bytes)
{
    if (id != m_id || bytes.isEmpty() || m_aborted || m_ended)
        return;
    if (!keepText(m_text, bytes)) {
        abort(Outcome::WriteFailed, reasons::writeFailed(m_text.errorString()));
        return;
    }
    // The child hands its text on at every page's end (a page break at least): each page is
    // progress.
    m_silence.textArrived();
}

void ServiceJob::onFinished(quint32 id, const serviceprotocol::Outcome &outcome)
{
    if (id != m_id || !m_open)
        return;
    m_open = false;
    m_silence.stop();
    m_watchdog.stop();
    m_result.errorOutput =
        QString::fromLocal8Bit(outcome.diagnostics.data(), qsizetype(outcome.diagnostics.size()));
    m_result.ocrPages = outcome.ocrPages;
    m_result.ocrConfidence =
        outcome.ocrWords > 0 ? double(outcome.ocrConfidenceSum) / outcome.ocrWords : -1;
    m_result.pagesRequested = outcome.pagesRequested;
    m_result.pagesUnread = outcome.pagesUnread;
    m_result.unreadPages = QString::fromStdString(outcome.unreadPages);
    m_result.ocr.turned = QList<int>(outcome.ocrTurnedPages.begin(), outcome.ocrTurnedPages.end());
    m_result.ocr.deskewed =
        QList<int>(outcome.ocrDeskewedPages.begin(), outcome.ocrDeskewedPages.end());
    m_result.ocr.doubtful =
        QList<int>(outcome.ocrDoubtfulPages.begin(), outcome.ocrDoubtfulPages.end());
    m_result.ocr.orientationUnknown = outcome.ocrOrientationUnknown;
    if (m_order.text.jsonLines != TextOptions::JsonLines::Off)
        m_result.facts = pagefacts::ofService(outcome);
    const bool served =
        m_service->startedServing() || outcome.kind != serviceprotocol::OutcomeKind::ServiceLost;
    const QString lostReason = m_service->endReason();
    releaseService();
    if (m_aborted) {
        end(m_result.outcome, m_result.reason);
        return;
    }
    if (!served) {
        // The service could not start: this file and the later ones go to the other converter.
        if (m_pool)
            m_pool->markUnavailable(lostReason);
        turnToFallback();
        return;
    }
    if (outcome.kind == serviceprotocol::OutcomeKind::Converted) {
        settleConverted();
        return;
    }
    if (outcome.kind == serviceprotocol::OutcomeKind::LeftToSplit)
        m_result.pagesToSplit = outcome.pageCount;
    const serviceendings::Ending ending =
        serviceendings::endingOf(outcome, {m_order, m_limits, m_result.errorOutput, lostReason});
    end(ending.outcome, ending.reason);
}

void ServiceJob::settleConverted()
{
    const Ending ending = settleCompleteText(m_text);
    end(ending.outcome, ending.reason);
}

void ServiceJob::turnToFallback()
{
    // The other converter writes a new file of its own at the same place.
    if (m_text.isOpen()) {
        m_text.close();
        m_text.remove();
    }
    m_result = JobResult();
    forgetText();
    if (m_aborted) {
        endLater(Outcome::Stopped, reasons::Stopped);
        return;
    }
    // pdftotext takes a password only on its command line, where every user of the machine can
    // read it: the user did not choose that. It converts without the password, so a file that
    // needs none is converted; one that needs it stays closed. pdftotext could run, so that is
    // not a converter that cannot start.
    JobOrder order = m_order;
    order.password.clear();
    m_fallback = m_fallbackKind.makeJob(order, m_limits);
    connect(m_fallback.get(), &ConversionJob::finished, this, [this] {
        m_result = m_fallback->result();
        if (!m_order.password.isEmpty() && (m_result.outcome == Outcome::Protected ||
                                            m_result.outcome == Outcome::WrongPassword)) {
            QString why = m_pool ? m_pool->unavailableReason() : QString();
            // The service's reason is a sentence of its own; here it goes on.
            while (why.endsWith(u'.') || why.endsWith(u' '))
                why.chop(1);
            m_result.outcome = Outcome::Protected;
            m_result.reason =
                QStringLiteral("  - the file was not opened with its password: ") +
                (why.isEmpty() ? QStringLiteral("the converter service did not start") : why) +
                QStringLiteral(", and pdftotext would show the password on its command line.");
        }
        m_ended = true;
        emit finished();
    });
    m_fallback->start();
}

void ServiceJob::releaseService()
{
    if (!m_service)
        return;
    if (m_pool) {
        m_service->disconnect(this);
        m_pool->giveBack(m_service, m_limits.converters + 1);
    }
    m_service = nullptr;
}

void ServiceJob::end(Outcome outcome, const QString &reason)
{
    if (m_ended)
        return;
    m_ended = true;
    releaseService();
    if (m_text.isOpen())
        m_text.close();
    m_result.outcome = outcome;
    m_result.reason = reason;
    emit finished();
}

void ServiceJob::endLater(Outcome outcome, const QString &reason)
{
    QMetaObject::invokeMethod(
        this, [this, outcome, reason] { end(outcome, reason); }, Qt::QueuedConnection);
}
