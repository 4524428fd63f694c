#include "PdftotextConverter.h"

#include "PdftotextJob.h"

PdftotextConverter::PdftotextConverter(QString program) : m_program(std::move(program)) {}

std::unique_ptr<ConversionJob> PdftotextConverter::makeJob(const JobSpec &spec,
                                                           const ConversionLimits &limits)
{
    return std::make_unique<PdftotextJob>(m_program, spec, limits);
}
