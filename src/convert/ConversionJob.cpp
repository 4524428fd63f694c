#include "ConversionJob.h"

#include "TextJudge.h"

ConversionJob::Ending ConversionJob::settleCompleteText(QFile &text, TextJudge &judge,
                                                        int pageBreaks)
{
    if (!text.flush())
        return {Outcome::WriteFailed, reasons::writeFailed(text.errorString())};
    text.close();
    if (text.error() != QFileDevice::NoError)
        return {Outcome::WriteFailed, reasons::writeFailed(text.errorString())};
    judge.finish();
    m_result.pages = pageBreaks;
    if (m_result.bytes == 0 || judge.hasNoUsableText())
        return {Outcome::NoUsableText, reasons::Unreadable};
    return {Outcome::Converted, QString()};
}
