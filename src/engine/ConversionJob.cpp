// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionJob.h"

#include "OcrChoice.h"
#include "TextJudge.h"

ConversionJob::ConversionJob(QObject *parent)
    : QObject(parent), m_judge(std::make_unique<TextJudge>())
{
}

ConversionJob::~ConversionJob() = default;

bool ConversionJob::keepText(QFile &text, const QByteArray &bytes)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 now = text.write(bytes.constData() + written, bytes.size() - written);
        if (now <= 0)
            return false;
        written += now;
    }
    m_result.bytes += bytes.size();
    m_pageBreaks += int(bytes.count('\f'));
    m_judge->feed(bytes);
    return true;
}

void ConversionJob::forgetText()
{
    m_result.bytes = 0;
    m_pageBreaks = 0;
    m_judge = std::make_unique<TextJudge>();
}

ConversionJob::Ending ConversionJob::settleCompleteText(QFile &text)
{
    if (!text.flush())
        return {Outcome::WriteFailed, reasons::writeFailed(text.errorString())};
    text.close();
    if (text.error() != QFileDevice::NoError)
        return {Outcome::WriteFailed, reasons::writeFailed(text.errorString())};
    m_judge->finish();
    m_result.pages = m_pageBreaks;
    if (m_result.bytes == 0 || m_judge->hasNoUsableText())
        return {Outcome::NoUsableText, reasons::Unreadable};
    if (m_result.ocrPages > 0 && m_result.ocrConfidence >= 0 &&
        m_result.ocrConfidence < OcrChoice::LowConfidence)
        return {Outcome::LowConfidence,
                reasons::lowConfidence(m_result.ocrPages, m_result.pages, m_result.ocrConfidence)};
    return {Outcome::Converted, QString()};
}
