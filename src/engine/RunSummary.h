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

// Every file ended because no converter could be started.
bool noConverterRan(const QList<FileOutcome> &outcomes);

// Some file left a text (a usable one or not).
bool leftAnyText(const QList<FileOutcome> &outcomes);

// "file  - reason" for each file that did not convert, in row order.
QStringList failureLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// "file  - its text is NAME" for each text put in place under a numbered name, in row order.
QStringList renamedLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// "file  - N of M pages read by OCR ..." for each converted file with pages read by OCR.
QStringList readByOcrLines(const QList<FileOutcome> &outcomes, Words words = Words::English);

// The final message: "Done.", then the failures under their header, the files read by OCR and
// the numbered texts under theirs; or "File(s) has no data." when no file left a text, naming the
// files when the run was stopped (each says why it has none); or, when no converter could be
// started for any file, "No converter can be run ..." and the files with the system's reasons.
// Lines are separated by CR LF.
QString finalMessage(const QList<FileOutcome> &outcomes, bool stopped,
                     Words words = Words::English);

} // namespace runsummary
