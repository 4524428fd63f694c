// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConversionJob.h"

#include "FormText.h"
#include "TextJudge.h"
#include "TextVerdict.h"

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
    countPageBreaks(bytes);
    m_judge->feed(bytes);
    return true;
}

void ConversionJob::countPageBreaks(QByteArrayView bytes)
{
    // The TSV and the bbox forms mark their pages, and end none with a form feed.
    if (m_pageMarks) {
        m_pageMarks->take(bytes);
        m_pageBreaks = m_pageMarks->pages();
        return;
    }
    if (m_form.encoding != QLatin1String("UTF-16")) {
        // Every other encoding writes the form feed as the one byte 12, which no multibyte
        // character of theirs contains.
        m_pageBreaks += int(bytes.count('\f'));
        return;
    }
    // UTF-16 big-endian: a form feed is 0 then 12, starting at an even offset.
    for (const char byte : bytes) {
        if (m_bytesSeen++ % 2 == 0)
            m_pendingZero = byte == 0;
        else if (m_pendingZero && byte == '\f')
            ++m_pageBreaks;
    }
}

void ConversionJob::forgetText()
{
    m_result.bytes = 0;
    m_pageBreaks = 0;
    m_pendingZero = false;
    m_bytesSeen = 0;
    m_judge = std::make_unique<TextJudge>(m_form);
    const bool marksPages =
        formtext::isMarkedUp(m_form.output) && m_form.output != TextOptions::Output::HtmlMeta;
    m_pageMarks = marksPages ? std::make_unique<FormText>(m_form.output) : nullptr;
}

void ConversionJob::expectText(const TextOptions &form)
{
    m_form = form;
    forgetText();
}

ConversionJob::Ending ConversionJob::settleCompleteText(QFile &text)
{
    if (!text.flush())
        return {Outcome::WriteFailed, reasons::writeFailed(text.errorString())};
    text.close();
    if (text.error() != QFileDevice::NoError)
        return {Outcome::WriteFailed, reasons::writeFailed(text.errorString())};
    m_judge->finish();
    // Without page breaks the pages are not known from the text.
    m_result.pages = m_form.pageBreaks || m_pageMarks ? m_pageBreaks : -1;
    const TextFacts facts = textverdict::factsOf(m_result, m_result.bytes, m_form.pageBreaks,
                                                 m_judge->hasNoUsableText());
    const TextVerdict verdict = textverdict::judge(facts);
    return {verdict.outcome, verdict.reason};
}
