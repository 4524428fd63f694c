// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <vector>

class ConverterServiceClient;

// The converter services of a session: each is started when a job first needs one more and is
// kept for the next jobs, so poppler is loaded once per worker, not once per file. A job takes a
// service no other job uses and gives it back when done. A service that was lost is started again
// by the next job that takes it. A service that could not start at all marks the pool as
// unavailable: its jobs turn to another converter.
class ServicePool : public QObject
{
    Q_OBJECT

public:
    // `program` is an executable that serves with `--converter-service`.
    explicit ServicePool(QString program, QObject *parent = nullptr);
    // Kills the services and their children.
    ~ServicePool() override;

    // A service no other job uses (started when needed); the pool keeps owning it.
    ConverterServiceClient *take();
    // The job is done with it; of the idle services, at most `keepIdle` stay running.
    void giveBack(ConverterServiceClient *service, int keepIdle);

    // A service could not start: no more are started, and `why` is kept.
    void markUnavailable(const QString &why);
    bool isUnavailable() const { return !m_unavailable.isEmpty(); }
    const QString &unavailableReason() const { return m_unavailable; }

    // The process ids of the services running now.
    QList<qint64> processIds() const;

private:
    QString m_program;
    std::vector<ConverterServiceClient *> m_idle;
    std::vector<ConverterServiceClient *> m_busy;
    QString m_unavailable;
};
