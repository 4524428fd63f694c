#include "PdftotextConverter.h"

#include "PdftotextJob.h"

PdftotextConverter::PdftotextConverter(QString program) : m_program(std::move(program)) {}

PdftotextConverter::PdftotextConverter(std::function<QString()> programSource)
    : m_programSource(std::move(programSource))
{
}

std::unique_ptr<ConversionJob> PdftotextConverter::makeJob(const JobSpec &spec,
                                                           const ConversionLimits &limits)
{
    return std::make_unique<PdftotextJob>(program(), spec, limits);
}
