// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "service/ConverterServiceClient.h"

#include <QByteArray>
#include <QEventLoop>
#include <QTimer>
#include <QtGlobal>

#include <functional>
#include <optional>

// One request's whole answer from a converter service: its text and its outcome.
struct ServiceAnswer
{
    serviceprotocol::Outcome outcome;
    QByteArray text;
};

// Sends `request` through `client` and waits, on the client's own signals, for its outcome (three
// minutes at most: a service that says nothing in that time ends the test). `whileRunning` runs
// once the request is sent, with its id.
inline ServiceAnswer answerOf(ConverterServiceClient &client,
                              const serviceprotocol::ConvertRequest &request,
                              const std::function<void(quint32)> &whileRunning = {})
{
    ServiceAnswer answer;
    std::optional<serviceprotocol::Outcome> outcome;
    QEventLoop loop;
    const quint32 id = client.convert(request);
    const auto text = QObject::connect(&client, &ConverterServiceClient::textArrived, &loop,
                                       [&](quint32 of, const QByteArray &bytes) {
                                           if (of == id)
                                               answer.text += bytes;
                                       });
    const auto done =
        QObject::connect(&client, &ConverterServiceClient::finished, &loop,
                         [&](quint32 of, const serviceprotocol::Outcome &finished) {
                             if (of != id)
                                 return;
                             outcome = finished;
                             loop.quit();
                         });
    if (whileRunning)
        whileRunning(id);
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    if (!outcome)
        loop.exec();
    QObject::disconnect(text);
    QObject::disconnect(done);
    if (!outcome)
        qFatal("the converter service gave no outcome within three minutes");
    answer.outcome = *outcome;
    return answer;
}
