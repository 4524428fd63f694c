// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Outcome.h"
#include "platform/FileIdentity.h"
#include "TextOptions.h"

class FormText;
class TextJudge;

#include <memory>
#include <QFile>
#include <QFileDevice>
#include <QObject>
#include <QString>

// What one job converts and where its text goes.
struct JobOrder
{
    QString pdf;
    QString password;               // "" for none
    bool firstHundredPages = false; // a preview's pages 1 to 100, else every page
    QString textPath;               // a new file the job writes the text to (a staging file)
    TextOptions text;               // the text to make (a preview's pages take precedence)
    // When above 0 and the converter can count pages at the file's opening: a page range of
    // more pages is not converted; the job ends as Stopped with JobResult::pagesToSplit set, so
    // that the pages can be converted in parts side by side.
    int splitAbovePages = 0;
    // The converter reads the document's information too (JobResult::facts), where it can.
    bool documentInfo = false;
    // A part of a split range after the first: the page before it, whose words the converter lays
    // out first so that the part's marked-up form goes on from it as the whole range's does.
    int pageBefore = 0;
};

// How one job ended. The text is complete at textPath only for Converted and NoUsableText.
struct JobResult
{
    Outcome outcome = Outcome::Stopped;
    QString reason;      // the final message's reason line for every outcome but Converted
    qint64 bytes = 0;    // text bytes written
    int pages = -1;      // pages of a complete text (the converter ends each with a page break)
    QString errorOutput; // the first 64 KB of what the converter said on its error output
    int ocrPages = 0;    // pages whose text OCR read
    double ocrConfidence = -1; // tesseract's mean confidence over their words; -1: no words
    OcrPages ocr;              // pages OCR turned, straightened or read doubtfully
    // The document's page count, when it was left to be split (see JobOrder).
    int pagesToSplit = 0;
    // Pages of the range the converter went through, and those it could not read (their text is
    // left out, as pdftotext leaves it out), as "5,12,31-40"; 0 and "" when it does not say.
    int pagesRequested = 0;
    int pagesUnread = 0;
    QString unreadPages;
    // The PDF as the job opened it, where this program opens it for the converter; not known
    // where the converter opens it itself.
    FileIdentity opened;
    // Where the text's pages end and the document's information, where the converter tells them.
    PageFacts facts;
};

// One file converted by one converter, driven by its own signals: start() returns at once and
// finished() follows exactly once, also when the converter cannot be started or is stopped.
class ConversionJob : public QObject
{
    Q_OBJECT

public:
    explicit ConversionJob(QObject *parent = nullptr);
    ~ConversionJob() override;

    virtual void start() = 0;

    // Ends the job at once (the converter is killed); finished() follows with Outcome::Stopped.
    virtual void stop() = 0;

    const JobResult &result() const { return m_result; }

signals:
    void finished();
    // `done` of the file's `total` pages are through (from converters that say so).
    void pagesDone(int done, int total);

protected:
    // Appends a piece of the converter's text to `text`: written whole (a write cut short by a
    // filling disk goes on until the system says why it cannot; false then, with the reason in
    // text.errorString()), counted, and judged as it streams.
    bool keepText(QFile &text, const QByteArray &bytes);

    // The text starts again from nothing (a second try with another password role).
    void forgetText();

    // The text comes in this form (its encoding and line ends), for the text check and the page
    // count; UTF-8 with LF unless set.
    void expectText(const TextOptions &form);

    // The converter ended well: the text is complete only when every byte reached the file (a
    // failed flush or close is WriteFailed and keeps the old text); then it is judged. Sets the
    // result's pages and returns how the job ends.
    struct Ending
    {
        Outcome outcome;
        QString reason;
    };
    Ending settleCompleteText(QFile &text);

    JobResult m_result;

private:
    void countPageBreaks(QByteArrayView bytes);

    std::unique_ptr<TextJudge> m_judge;
    std::unique_ptr<FormText> m_pageMarks; // the TSV's and the bbox forms' pages
    TextOptions m_form;
    int m_pageBreaks = 0;       // the converter ends each page with one
    bool m_pendingZero = false; // UTF-16: the last byte seen was the high zero of a character
    qint64 m_bytesSeen = 0;
};
