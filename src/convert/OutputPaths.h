#pragma once

#include <QString>

// Where the user wants the text files and whether a password is asked for each file.
struct OutputChoice
{
    enum class Mode
    {
        None,       // neither option is selected
        IntoFolder, // "Save results to this folder:"
        BesidePdf,  // "Save results in folder of original file"
    };

    Mode mode = Mode::None;
    QString folder;           // the output folder as typed, used with IntoFolder
    bool askPassword = false; // the password box is ticked (not greyed)
};

// The message that refuses a run without either option selected.
QString noOutputChoiceText();

// The text file of `pdf` for the choice: the PDF's name with ".txt" for its last extension, in the
// chosen folder or beside the PDF, never the PDF itself (see notOverThePdf). Throws Failure with
// noOutputChoiceText() when no option is selected.
QString outputPathFor(const OutputChoice &choice, const QString &pdf);

QString outputPathInFolder(const QString &folder, const QString &pdf);
QString outputPathBesidePdf(const QString &pdf);

// A PDF whose name already ends in ".txt" would be replaced by its own text: its output then gets
// ".txt" appended to the whole name ("notes.txt.txt").
QString notOverThePdf(const QString &output, const QString &pdf);
