// SPDX-License-Identifier: GPL-3.0-or-later
#include "PdftotextConverter.h"

#include "PdftotextJob.h"

#include <utility>

PdftotextConverter::PdftotextConverter(QString program) : m_program(std::move(program)) {}

PdftotextConverter::PdftotextConverter(ProgramSource source) : m_source(std::move(source)) {}

std::unique_ptr<ConversionJob> PdftotextConverter::makeJob(const JobOrder &order,
                                                           const ConversionLimits &limits)
{
    if (m_source && m_placing) {
        // Asked again while the program is put in place (that keeps the event loop turning):
        // this job starts once it is there, instead of failing for want of a program.
        auto job = std::make_unique<PdftotextJob>(QString(), order, limits);
        job->waitForProgram();
        m_waiting.append(job.get());
        return job;
    }
    if (m_source) {
        m_placing = true;
        m_program = m_source(m_missingReason);
        m_source = nullptr;
        m_placing = false;
        for (const QPointer<PdftotextJob> &waiting : std::exchange(m_waiting, {}))
            if (waiting)
                waiting->programPlaced(m_program, m_missingReason);
    }
    auto job = std::make_unique<PdftotextJob>(m_program, order, limits);
    if (m_program.isEmpty() && !m_missingReason.isEmpty())
        job->setMissingReason(m_missingReason);
    return job;
}
