// SPDX-License-Identifier: GPL-3.0-or-later
#include "PdftotextConverter.h"

#include "PdftotextJob.h"

PdftotextConverter::PdftotextConverter(QString program) : m_program(std::move(program)) {}

PdftotextConverter::PdftotextConverter(ProgramSource source) : m_source(std::move(source)) {}

std::unique_ptr<ConversionJob> PdftotextConverter::makeJob(const JobOrder &order,
                                                           const ConversionLimits &limits)
{
    if (m_source) {
        m_program = m_source(m_missingReason);
        m_source = nullptr;
    }
    auto job = std::make_unique<PdftotextJob>(m_program, order, limits);
    if (m_program.isEmpty() && !m_missingReason.isEmpty())
        job->setMissingReason(m_missingReason);
    return job;
}
