// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QStringList>

class ChildProcess;

// `pdfinfo -isodates` on one PDF, for the document's information where pdftotext converts (the
// converter service reads it itself): a child of its own under the job's memory limit, driven by
// its signals. Its output is what engine/PdfInfoText reads; nothing when pdfinfo is not installed
// or fails.
class PdfInfoReader : public QObject
{
    Q_OBJECT

public:
    explicit PdfInfoReader(QObject *parent = nullptr);

    // Runs pdfinfo with `arguments` before the PDF's path (its passwords) and `inheritedFd` kept
    // open for it (-1 for none); finished() follows, also when it cannot start.
    void start(const QStringList &arguments, quint64 memoryLimit, int inheritedFd);
    // Kills it; finished() follows.
    void stop();
    bool isRunning() const;

    // pdfinfo's standard output when it ended well; empty otherwise.
    QByteArray output() const { return m_output; }

signals:
    void finished();

private:
    ChildProcess *m_process = nullptr;
    QByteArray m_output;
};
