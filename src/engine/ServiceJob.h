// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionJob.h"
#include "ConversionLimits.h"
#include "IdleWatch.h"
#include "service/ServiceProtocol.h"

#include <memory>
#include <QFile>
#include <QPointer>
#include <QTimer>

class ConverterKind;
class ConverterServiceClient;
class ServicePool;

// One file converted by a converter service of the pool: the request (password included) goes
// over the service's pipe, the text comes back in pieces and streams into the staging file
// through checked writes and the text check, exactly as a pdftotext job's does, with the same
// outcomes and reasons. The service applies the memory and time limits to the child it forks for
// the file; the job holds them too, against a service that no longer answers (frozen, or stuck):
// one that says nothing for longer than the time limit and a grace, or does not answer Stop
// within a grace, is killed. When the service cannot start at all, the job hands the file to
// `fallback` instead, unless it has a typed password: a password goes to pdftotext's command line
// only when the user chose pdftotext.
class ServiceJob : public ConversionJob
{
    Q_OBJECT

public:
    ServiceJob(ServicePool &pool, ConverterKind &fallback, JobOrder order, ConversionLimits limits,
               QObject *parent = nullptr);
    ~ServiceJob() override;

    void start() override;
    void stop() override;

private:
    void takeText(quint32 id, const QByteArray &bytes);
    void onFinished(quint32 id, const serviceprotocol::Outcome &outcome);
    // How a request that did not convert ends: by what the file is, or by what befell its child.
    void settleConverted();
    void turnToFallback();
    void watchService(int milliseconds);
    void serviceSilent();
    void abort(Outcome outcome, const QString &reason);
    void releaseService();
    void end(Outcome outcome, const QString &reason);
    void endLater(Outcome outcome, const QString &reason);

    QPointer<ServicePool> m_pool;
    ConverterKind &m_fallbackKind;
    JobOrder m_order;
    ConversionLimits m_limits;
    ConverterServiceClient *m_service = nullptr;
    quint32 m_id = 0;
    bool m_open = false; // the request is out and not answered yet
    std::unique_ptr<ConversionJob> m_fallback;
    QFile m_text;
    IdleWatch m_silence; // the time limit and a grace, held against the service
    QTimer m_watchdog;   // the wait for a cancel's answer
    bool m_aborted = false;
    bool m_ended = false;
};
