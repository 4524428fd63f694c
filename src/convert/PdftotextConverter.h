#pragma once

#include "ConverterKind.h"

#include <functional>
#include <QString>

// The pdftotext program as the converter: it writes the text to its standard output, and the job
// writes that to the staging file itself, so every failed write is seen.
class PdftotextConverter : public ConverterKind
{
public:
    // `program`: the converter to run ("" fails to start like a missing converter).
    explicit PdftotextConverter(QString program);
    // `programSource` names the converter at each job: a deployment made after this object.
    explicit PdftotextConverter(std::function<QString()> programSource);

    std::unique_ptr<ConversionJob> makeJob(const JobSpec &spec,
                                           const ConversionLimits &limits) override;

    QString program() const { return m_programSource ? m_programSource() : m_program; }

private:
    QString m_program;
    std::function<QString()> m_programSource;
};
