// SPDX-License-Identifier: GPL-3.0-or-later
#include "ServiceJob.h"

#include "ConverterKind.h"
#include "service/ConverterServiceClient.h"
#include "service/ServicePool.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

ServiceJob::ServiceJob(ServicePool &pool, ConverterKind &fallback, JobOrder order,
                       ConversionLimits limits, QObject *parent)
    : ConversionJob(parent), m_pool(&pool), m_fallbackKind(fallback), m_order(std::move(order)),
      m_limits(limits), m_text(m_order.textPath)
{
    expectText(m_order.text);
}

ServiceJob::~ServiceJob()
{
    if (m_open && m_pool)
        m_service->cancel(m_id); // its child is killed; the service stays for the next file
    releaseService();
}

serviceprotocol::ConvertRequest ServiceJob::request(const JobOrder &order,
                                                    const ConversionLimits &limits)
{
    using namespace serviceprotocol;
    ConvertRequest request;
    request.target = OutputTarget::Stream;
    request.passwordUse = order.password.isEmpty() ? PasswordUse::None : PasswordUse::OwnerThenUser;
    request.password = ConverterServiceClient::textBytes(order.password);
    const TextOptions &text = order.text;
    request.firstPage = order.firstHundredPages ? 1 : text.firstPage;
    request.lastPage = order.firstHundredPages ? 100 : text.lastPage;
    request.textMode = text.mode == TextOptions::Mode::Layout ? TextMode::Layout
                       : text.mode == TextOptions::Mode::Raw  ? TextMode::Raw
                                                              : TextMode::Reading;
    request.endOfLine = text.endOfLine == TextOptions::EndOfLine::Dos   ? EndOfLine::Dos
                        : text.endOfLine == TextOptions::EndOfLine::Mac ? EndOfLine::Mac
                                                                        : EndOfLine::Unix;
    request.pageBreaks = text.pageBreaks;
    if (text.encoding != TextOptions::DefaultEncoding)
        request.textEncoding = text.encoding.toStdString();
    request.splitAbovePages = std::max(0, order.splitAbovePages);
    request.memoryLimit = std::uint64_t(std::max(0, limits.memoryMegabytes)) * 1024 * 1024;
    request.idleLimitMs = std::uint32_t(std::max(0, limits.idleSeconds)) * 1000;
    request.pdfPath = ConverterServiceClient::pathBytes(order.pdf);
    return request;
}

void ServiceJob::start()
{
    if (!m_pool || m_pool->isUnavailable()) {
        turnToFallback();
        return;
    }
    if (!m_text.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
        endLater(Outcome::WriteFailed, reasons::writeFailed(m_text.errorString()));
        return;
    }
    m_service = m_pool->take();
    connect(m_service, &ConverterServiceClient::textArrived, this, &ServiceJob::takeText);
    connect(m_service, &ConverterServiceClient::finished, this, &ServiceJob::onFinished);
    m_open = true;
    m_id = m_service->convert(request(m_order, m_limits));
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
    if (m_open && m_pool)
        m_service->cancel(m_id); // finished() follows with the child's end
}

void ServiceJob::takeText(quint32 id, const QByteArray &bytes)
{
    if (id != m_id || bytes.isEmpty() || m_aborted || m_ended)
        return;
    if (!keepText(m_text, bytes))
        abort(Outcome::WriteFailed, reasons::writeFailed(m_text.errorString()));
}

void ServiceJob::onFinished(quint32 id, const serviceprotocol::Outcome &outcome)
{
    using serviceprotocol::OutcomeKind;
    if (id != m_id || !m_open)
        return;
    m_open = false;
    m_result.errorOutput =
        QString::fromLocal8Bit(outcome.diagnostics.data(), qsizetype(outcome.diagnostics.size()));
    const bool served = m_service->startedServing() || outcome.kind != OutcomeKind::ServiceLost;
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
    const bool limited = m_limits.memoryMegabytes > 0;
    const bool outOfMemory = limited && saysOutOfMemory(m_result.errorOutput);
    switch (outcome.kind) {
    case OutcomeKind::Converted:
        settleConverted();
        return;
    case OutcomeKind::NeedsPassword:
        end(Outcome::Protected, reasons::Protected);
        return;
    case OutcomeKind::WrongPassword:
        if (m_order.password.isEmpty())
            end(Outcome::Protected, reasons::Protected);
        else
            end(Outcome::WrongPassword, reasons::WrongPassword);
        return;
    case OutcomeKind::PageRange:
        if (outcome.pageCount > 0) {
            const TextOptions &text = m_order.text;
            const int last = text.lastPage < 1 || text.lastPage > outcome.pageCount
                                 ? outcome.pageCount
                                 : text.lastPage;
            end(Outcome::PageRange, reasons::pageRange(std::max(1, text.firstPage), last));
            return;
        }
        [[fallthrough]]; // a document without pages
    case OutcomeKind::Damaged:
    case OutcomeKind::CannotOpen:
        // pdftotext ends with 1 or 99 for these: a file that could not be read.
        end(Outcome::Damaged, reasons::Damaged);
        return;
    case OutcomeKind::NoTextEncoding:
        end(Outcome::CannotStart, reasons::noTextEncoding(m_order.text.encoding));
        return;
    case OutcomeKind::LeftToSplit:
        m_result.pagesToSplit = outcome.pageCount;
        end(Outcome::Stopped, reasons::Stopped);
        return;
    case OutcomeKind::WriteFailed:
        end(Outcome::WriteFailed,
            reasons::writeFailed(systemError(outcome.systemError ? outcome.systemError : EIO)));
        return;
    case OutcomeKind::TimeLimit:
        end(Outcome::TimeLimit, reasons::timeLimit(m_limits.idleSeconds));
        return;
    case OutcomeKind::MemoryLimit:
        end(Outcome::MemoryLimit, reasons::memoryLimit(m_limits.memoryMegabytes));
        return;
    case OutcomeKind::Crashed:
        if (outOfMemory)
            end(Outcome::MemoryLimit, reasons::memoryLimit(m_limits.memoryMegabytes));
        else
            end(Outcome::Crashed, reasons::crashed(outcome.signal));
        return;
    case OutcomeKind::Cancelled:
        end(Outcome::Stopped, reasons::Stopped);
        return;
    case OutcomeKind::ChildFailed:
        if (outcome.systemError != 0)
            end(Outcome::CannotStart, reasons::cannotStart(systemError(outcome.systemError)));
        else if (outOfMemory)
            end(Outcome::MemoryLimit, reasons::memoryLimit(m_limits.memoryMegabytes));
        else
            end(Outcome::Damaged, reasons::Damaged);
        return;
    case OutcomeKind::ServiceLost:
        // The service went away with this file; the next job starts it again.
        end(Outcome::Crashed, reasons::serviceLost(lostReason));
        return;
    }
    end(Outcome::Crashed, reasons::serviceLost(lostReason));
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
    m_fallback = m_fallbackKind.makeJob(m_order, m_limits);
    connect(m_fallback.get(), &ConversionJob::finished, this, [this] {
        m_result = m_fallback->result();
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
