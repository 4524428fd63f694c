// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterServiceClient.h"

#include "platform/NativePath.h"

#include <QFile>
#include <QPointer>
#include <QProcessEnvironment>

#include <algorithm>
#include <csignal>
#include <stdexcept>
#include <sys/prctl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr qsizetype MaxServiceErrors = 4096;

} // namespace

ConverterServiceClient::ConverterServiceClient(const QString &program, QObject *parent)
    : QObject(parent), m_process(new QProcess)
{
    m_process->setProgram(program);
    m_process->setArguments({QStringLiteral("--converter-service")});
    // One thread for tesseract in each conversion, so that the workers own the cores. libgomp
    // takes the limit when the service loads it: it must be in the environment at the start.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
    m_process->setProcessEnvironment(environment);
    const pid_t client = ::getpid();
    m_process->setChildProcessModifier([client] {
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        // A group of its own: a Ctrl-C on the terminal reaches the program, which stops its
        // conversions itself, instead of killing the service (and the file at hand) behind its
        // back.
        ::setpgid(0, 0);
        if (::getppid() != client)
            ::_exit(127);
    });
    connect(m_process, &QProcess::readyReadStandardOutput, this,
            &ConverterServiceClient::readAnswers);
    connect(m_process, &QProcess::readyReadStandardError, this, [this] {
        const QByteArray errors = m_process->readAllStandardError();
        m_serviceErrors.append(errors.left(MaxServiceErrors - m_serviceErrors.size()));
    });
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            serviceEnded(
                tr("The converter service could not be started: %1").arg(m_process->errorString()));
    });
    connect(m_process, &QProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                QString reason = std::exchange(m_brokenProtocol, {});
                if (reason.isEmpty() && status == QProcess::CrashExit)
                    reason = tr("The converter service was killed (signal %1).").arg(exitCode);
                else if (reason.isEmpty())
                    reason = tr("The converter service ended (exit code %1).").arg(exitCode);
                if (!m_serviceErrors.isEmpty())
                    reason += u' ' + QString::fromUtf8(m_serviceErrors).trimmed();
                serviceEnded(reason);
            });
}

ConverterServiceClient::~ConverterServiceClient()
{
    // The service is killed and reaped here, so that a window that closes leaves no child behind
    // it; a kill ends a process at once, so the wait is short. One that cannot be reaped in time
    // (stuck in the kernel) is reaped when its end is signalled.
    m_process->disconnect(this);
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        if (!m_process->waitForFinished(2000)) {
            QObject::connect(m_process, &QProcess::finished, m_process, &QObject::deleteLater);
            return;
        }
    }
    delete m_process;
}

void ConverterServiceClient::start()
{
    if (m_process->state() != QProcess::NotRunning)
        return;
    m_answers.clear();
    m_serviceErrors.clear();
    m_ready = false;
    m_served = false;
    m_stopping = false;
    m_brokenProtocol.clear();
    m_process->start(QIODevice::ReadWrite | QIODevice::Unbuffered);
}

quint32 ConverterServiceClient::convert(serviceprotocol::ConvertRequest request)
{
    start();
    request.id = ++m_lastId;
    m_open.insert(request.id);
    const std::string frame = serviceprotocol::encodeConvert(request);
    m_process->write(frame.data(), static_cast<qint64>(frame.size()));
    return request.id;
}

void ConverterServiceClient::cancel(quint32 id)
{
    if (!m_open.contains(id))
        return;
    const std::string frame = serviceprotocol::encodeCancel(id);
    m_process->write(frame.data(), static_cast<qint64>(frame.size()));
}

void ConverterServiceClient::stop()
{
    if (m_process->state() == QProcess::NotRunning)
        return;
    m_stopping = true;
    m_process->closeWriteChannel();
}

std::string ConverterServiceClient::pathBytes(const QString &path)
{
    return nativepath::encode(path).toStdString(); // the name's own bytes, also when not UTF-8
}

std::string ConverterServiceClient::textBytes(const QString &text)
{
    return text.toUtf8().toStdString();
}

void ConverterServiceClient::readAnswers()
{
    using namespace serviceprotocol;
    m_answers.append(m_process->readAllStandardOutput());
    const QPointer<ConverterServiceClient> alive(this);
    qsizetype offset = 0;
    try {
        std::size_t consumed = 0;
        while (auto frame = takeFrame(
                   std::string_view(m_answers.constData() + offset, m_answers.size() - offset),
                   consumed)) {
            offset += static_cast<qsizetype>(consumed);
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
    m_answers.remove(0, offset);
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
