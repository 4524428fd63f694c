// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterServiceClient.h"

#include "platform/NativePath.h"

#include <QFile>
#include <QPointer>
#include <QProcessEnvironment>

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace {

constexpr qsizetype MaxServiceErrors = 4096;

} // namespace

ConverterServiceClient::ConverterServiceClient(const QString &program, QObject *parent)
    : QObject(parent), m_process(new ChildProcess(this))
{
    // Its children are in its process group, so a kill of the group ends them too.
    m_process->setProgram(program, {QStringLiteral("--converter-service")});
    // One thread for tesseract in each conversion, so that the workers own the cores. libgomp
    // takes the limit when the service loads it: it must be in the environment at the start.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    m_process->process().setProcessEnvironment(environment);
    m_process->setInputFromNothing(false);
    m_process->setErrorTailLimit(MaxServiceErrors);
    connect(m_process, &ChildProcess::outputReady, this, &ConverterServiceClient::readAnswers);
    connect(m_process, &ChildProcess::failedToStart, this, [this](const QString &why) {
        serviceEnded(tr("The converter service could not be started: %1").arg(why));
    });
    connect(m_process, &ChildProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                QString reason = std::exchange(m_brokenProtocol, {});
                if (reason.isEmpty() && status == QProcess::CrashExit)
                    reason = tr("The converter service was killed (signal %1).").arg(exitCode);
                else if (reason.isEmpty())
                    reason = tr("The converter service ended (exit code %1).").arg(exitCode);
                const QByteArray errors = m_process->errorTail();
                if (!errors.isEmpty())
                    reason += u' ' + QString::fromUtf8(errors).trimmed();
                serviceEnded(reason);
            });
}

ConverterServiceClient::~ConverterServiceClient()
{
    // The service and its children are killed as the process object goes with this client; they
    // are reaped when their end is signalled, without a wait.
    m_process->disconnect(this);
}

void ConverterServiceClient::start()
{
    if (m_process->isRunning())
        return;
    m_answers.clear();
    m_ready = false;
    m_served = false;
    m_stopping = false;
    m_brokenProtocol.clear();
    m_process->start();
}

quint32 ConverterServiceClient::convert(serviceprotocol::ConvertRequest request)
{
    start();
    request.id = ++m_lastId;
    m_open.insert(request.id);
    const std::string frame = serviceprotocol::encodeConvert(request);
    m_process->process().write(frame.data(), static_cast<qint64>(frame.size()));
    return request.id;
}

void ConverterServiceClient::cancel(quint32 id)
{
    if (!m_open.contains(id))
        return;
    const std::string frame = serviceprotocol::encodeCancel(id);
    m_process->process().write(frame.data(), static_cast<qint64>(frame.size()));
}

void ConverterServiceClient::stop()
{
    if (!m_process->isRunning())
        return;
    m_stopping = true;
    m_process->process().closeWriteChannel();
}

void ConverterServiceClient::killUnanswering()
{
    if (!m_process->isRunning())
        return;
    m_brokenProtocol = tr("The converter service did not answer in time and was killed.");
    m_process->kill();
}

std::string ConverterServiceClient::pathBytes(const QString &path)
{
    return nativepath::encode(path).toStdString(); // the name's own bytes, also when not UTF-8
}

std::string ConverterServiceClient::passwordBytes(const QString &password)
{
    // A password from a file is its bytes, also when they are not UTF-8 (a Latin-1 line).
    return nativepath::encode(password).toStdString();
}

void ConverterServiceClient::readAnswers()
{
    using namespace serviceprotocol;
    m_answers.append(m_process->process().readAllStandardOutput());
    const QPointer<ConverterServiceClient> alive(this);
    try {
        std::size_t consumed = 0;
        std::string payload;
        while (auto frame =
                   takeFrame(std::string_view(m_answers.constData(), m_answers.size()), consumed)) {
            // Each frame leaves the buffer before it is handed on: a receiver may wait in a local
            // event loop (a password box), in which the next answers are read and handled.
            payload.assign(frame->payload);
            frame->payload = payload;
            m_answers.remove(0, static_cast<qsizetype>(consumed));
            if (frame->kind == FrameKind::Ready) {
                m_ready = true;
                m_served = true;
                emit ready(QString::fromStdString(PayloadReader(frame->payload).string()));
            } else if (frame->kind == FrameKind::Text) {
                PayloadReader reader(frame->payload);
                const quint32 id = reader.u32();
                const std::string_view text = reader.rest();
                emit textArrived(id, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
            } else if (frame->kind == FrameKind::Page) {
                const PageProgress page = decodePage(frame->payload);
                emit pagesDone(page.id, page.done, page.total);
            } else if (frame->kind == FrameKind::Done) {
                const auto [id, outcome] = decodeDone(frame->payload);
                m_open.remove(id);
                emit finished(id, outcome);
            } else {
                throw std::runtime_error("unknown answer");
            }
            if (!alive)
                return;
        }
    } catch (const std::exception &broken) {
        m_answers.clear();
        m_brokenProtocol = tr("The converter service broke its protocol (%1).")
                               .arg(QString::fromLatin1(broken.what()));
        m_process->kill();
        return;
    }
}

void ConverterServiceClient::serviceEnded(const QString &reason)
{
    const bool asked = m_stopping;
    m_endReason = reason;
    m_ready = false;
    m_stopping = false;
    const QPointer<ConverterServiceClient> alive(this);
    loseOpenRequests();
    if (alive && !asked)
        emit failed(reason);
}

void ConverterServiceClient::loseOpenRequests()
{
    const QPointer<ConverterServiceClient> alive(this);
    const QSet<quint32> open = std::exchange(m_open, {});
    QList<quint32> ids(open.begin(), open.end());
    std::sort(ids.begin(), ids.end());
    for (const quint32 id : ids) {
        serviceprotocol::Outcome lost;
        lost.kind = serviceprotocol::OutcomeKind::ServiceLost;
        emit finished(id, lost);
        if (!alive)
            return;
    }
}
