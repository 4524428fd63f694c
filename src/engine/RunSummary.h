// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "Outcome.h"

#include <QList>
#include <QString>
#include <QStringList>

// What a finished run tells its user, the same in the window and on the command line: whether any
// file left a text, the files that give no usable text with their reasons, and the texts that got
// a number because an earlier file's text has the same name.
namespace runsummary {

inline const QString Done = QStringLiteral("Done.");
inline const QString NoData = QStringLiteral("File(s) has no data.");
inline const QString NoConverter =
    QStringLiteral("No converter can be run, so no PDF can be converted to text.");
inline const QString FailureListHeader = QStringLiteral("The following files could not be read:");
inline const QString WriteFailedHeader = QStringLiteral("These texts could not be written:");
inline const QString PagesUnreadHeader =
    QStringLiteral("Some pages could not be read; the texts hold the other pages:");
inline const QString LowConfidenceHeader = QStringLiteral("Text read by OCR with low confidence:");
inline const QString ReadByOcrHeader = QStringLiteral("Text read by OCR from scanned pages:");
inline const QString RenamedListHeader = QStringLiteral(
    "These texts were numbered, because a listed file or an earlier text has the same name:");

// The words of the final message: English on the command line, in reports and wherever scripts
// read them; the user's language in the window (the translation contexts "RunSummary" and
// "Reasons"; the file names and what the reasons quote stay as they are).
enum class Words
{
    English,
    UserLanguage,
};

// "3 files were not converted, because the run was stopped:"
QString stoppedHeader(int files, Words words = Words::English);

// Every file ended because no converter could be started.
bool noConverterRan(const QList<FileOutcome> &outcomes);

// Some file left a text (a usable one or not).
bool leftAnyText(const QList<FileOutcome> &outcomes);

// "file  - reason" for each file that could not be read, in row order: not the texts that could
// not be written, the low-confidence OCR texts or the stopped files, which have sections of
// their own.
QStringList failureLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// "file  - the text could not be written: ..." for each such file.
QStringList writeFailedLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// "file  - 10 of 40 pages could not be read (31-40); ..." for each text with pages left out.
QStringList pagesUnreadLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// "file  - text read by OCR with low confidence (...)" for each such text.
QStringList lowConfidenceLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// "file  - its text is NAME" for each text put in place under a numbered name, in row order.
QStringList renamedLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// "file  - N of M pages read by OCR ..." for each converted file with pages read by OCR.
QStringList readByOcrLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// The names of the files the run stopped before they were done.
QStringList stoppedLines(const QList<FileOutcome> &outcomes);

// One part of the final message: its heading and a line per file.
struct Section
{
    QString header;
    QStringList lines;
};

// The final message's sections in order, those without a line left out: the files that could not
// be read, the texts that could not be written, the files the stop left unconverted, the texts
// with pages left out, the low-confidence OCR texts, the files read by OCR and the numbered texts.
// The window shows them below its first line, morwenda-batch on standard error.
QList<Section> sections(const QList<FileOutcome> &outcomes, Words words = Words::English);

// The final message: "Done." when some file left a text, else "File(s) has no data."; below it
// each file that gave no text with its reason, under its heading (could not be read, could not
// be written, the files the stop left unconverted), then the texts with pages left out, the
// low-confidence OCR texts, the files read by OCR and the numbered texts. When no converter could
// be started for any file: "No converter can be run ..." and the files with the system's reasons.
// Lines are separated by CR LF.
QString finalMessage(const QList<FileOutcome> &outcomes, Words words = Words::English);

} // namespace runsummary
