#pragma once

#include "ConverterKind.h"

#include <QString>

// The pdftotext program as the converter: it writes the text to its standard output, and the job
// writes that to the staging file itself, so every failed write is seen.
class PdftotextConverter : public ConverterKind
{
public:
    // `program`: the converter to run ("" fails to start like a missing converter).
    explicit PdftotextConverter(QString program);

    std::unique_ptr<ConversionJob> makeJob(const JobSpec &spec,
                                           const ConversionLimits &limits) override;

    const QString &program() const { return m_program; }

private:
    QString m_program;
};
