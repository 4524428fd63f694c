// SPDX-License-Identifier: GPL-3.0-or-later
#include "PdfInfoReader.h"

#include "platform/ChildProcess.h"

#include <QMetaObject>
#include <QStandardPaths>

PdfInfoReader::PdfInfoReader(QObject *parent) : QObject(parent) {}

void PdfInfoReader::start(const QStringList &arguments, quint64 memoryLimit, int inheritedFd)
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (program.isEmpty()) {
        QMetaObject::invokeMethod(this, &PdfInfoReader::finished, Qt::QueuedConnection);
        return;
    }
    m_process = new ChildProcess(this);
    m_process->setProgram(program, QStringList{QStringLiteral("-isodates")} + arguments);
    m_process->setMemoryLimit(memoryLimit);
    m_process->setInheritedDescriptor(inheritedFd);
    connect(m_process, &ChildProcess::outputReady, this,
            [this] { m_output += m_process->readOutput(); });
    connect(m_process, &ChildProcess::finished, this,
            [this](int exitCode, QProcess::ExitStatus status) {
                m_output += m_process->readOutput();
                if (status != QProcess::NormalExit || exitCode != 0)
                    m_output.clear();
                emit finished();
            });
    connect(m_process, &ChildProcess::failedToStart, this, [this] {
        m_output.clear();
        emit finished();
    });
    m_process->start();
}

void PdfInfoReader::stop()
{
    if (isRunning())
        m_process->kill();
}

bool PdfInfoReader::isRunning() const
{
    return m_process && m_process->isRunning();
}
