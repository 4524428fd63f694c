// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/ChildProcess.h"
#include "ServiceProtocol.h"

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QSet>
#include <QString>

// One converter service (the program started with `--converter-service`), driven by the
// process's own signals: requests go out at once, text and outcomes come back as signals. Every
// request accepted by convert() ends with exactly one finished(); when the service goes away,
// the requests still open finish with OutcomeKind::ServiceLost.
//
// The service dies with the thread that started it (a parent-death signal), and ends by itself
// when this client closes its input; its children die with it. Passwords go over the pipe, never
// on a command line.
class ConverterServiceClient : public QObject
{
    Q_OBJECT

public:
    // `program` is an executable that serves with `--converter-service` (the program itself).
    explicit ConverterServiceClient(const QString &program, QObject *parent = nullptr);
    ~ConverterServiceClient() override;

    ConverterServiceClient(const ConverterServiceClient &) = delete;
    ConverterServiceClient &operator=(const ConverterServiceClient &) = delete;

    // Starts the service; ready() or failed() follows. convert() starts it when needed.
    void start();
    // True from ready() until the service ends.
    bool isReady() const { return m_ready; }
    // The last start of the service reached ready(): false for a service that could not start
    // or ended before it was ready, also once it has ended.
    bool startedServing() const { return m_served; }
    // Why the service ended the last time (the text of failed(), also when it was asked to).
    const QString &endReason() const { return m_endReason; }
    // The service's process id, 0 when it is not running.
    qint64 processId() const { return m_process->processId(); }

    // Sends a request (its id is assigned here and returned); the service may still be starting.
    quint32 convert(serviceprotocol::ConvertRequest request);
    // Kills the child of a request still open; it finishes as Cancelled (or with its own outcome
    // when it ended first).
    void cancel(quint32 id);
    // Closes the service's input: it kills its children and ends; open requests then finish as
    // ServiceLost. Destroying the client kills the service outright.
    void stop();
    // Kills a service that no longer answers (frozen, or stuck) with its children; its open
    // requests finish as ServiceLost, and endReason() says it did not answer. The next convert()
    // starts it again.
    void killUnanswering();

    // A path or password as the service takes it: the bytes it stands for (platform/NativePath),
    // UTF-8 for a typed password, the bytes of a line in a password file as they are.
    static std::string pathBytes(const QString &path);
    static std::string passwordBytes(const QString &password);

signals:
    void ready(const QString &libraryVersion);
    void textArrived(quint32 id, const QByteArray &text);
    // `done` of the request's `total` pages are through.
    void pagesDone(quint32 id, int done, int total);
    void finished(quint32 id, const serviceprotocol::Outcome &outcome);
    // The service could not start, broke the protocol or ended without being asked to.
    void failed(const QString &reason);

private:
    void readAnswers();
    void serviceEnded(const QString &reason);
    void loseOpenRequests();

    // Owned; outlives this client only until a killed service has been reaped.
    ChildProcess *m_process;
    QByteArray m_answers;
    QString m_brokenProtocol;
    QString m_endReason;
    QSet<quint32> m_open;
    quint32 m_lastId = 0;
    bool m_ready = false;
    bool m_served = false;
    bool m_stopping = false;
};
