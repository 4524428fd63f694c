// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QSocketNotifier;

// SIGINT, SIGTERM and SIGHUP turned into a signal of the event loop: the handler only writes a byte
// to a pipe, and the loop reads it and emits stopRequested(). morwenda-batch stops its run on it,
// the window closes as its user would close it (so its staging folders go as with Stop). Only one
// object may exist at a time; the signals' earlier handling comes back when it goes.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    explicit StopSignals(QObject *parent = nullptr);
    ~StopSignals() override;

    // A stop was asked for since this object was made (also before the event loop ran).
    static bool requested();
    // The first signal that asked for the stop; 0 when none did.
    static int signalNumber();

    // A descriptor that becomes readable when a stop is asked for (for a blocking read that must
    // end then); -1 when the signals could not be caught.
    int wakeDescriptor() const;

signals:
    void stopRequested(int signal);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
};
