// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

#include <utility>

// Where a run puts its text files and whether it asks for passwords: what the output options say
// when the run starts.
struct OutputChoice
{
    enum class Mode
    {
        None,      // neither option chosen: no file is converted
        Folder,    // "Save results to this folder:"
        BesidePdf, // "Save results in folder of original file"
    };
    Mode mode = Mode::None;
    QString folder;
    bool askPassword = false;
};

// The output path rules, without any widget.
namespace outputpaths {

// Each `extension` below is the output's, without its dot (textoptions::outputExtension): "txt"
// for a text, "html" or "tsv" for pdftotext's other forms.
inline const QString TextExtension = QStringLiteral("txt");

// `folder`, a separator and the PDF's name with ".txt" for its last extension.
QString inFolder(const QString &folder, const QString &pdf,
                 const QString &extension = TextExtension);

// The PDF's own folder and its name with ".txt" for its last extension.
QString besidePdf(const QString &pdf, const QString &extension = TextExtension);

// A PDF whose name already ends in ".txt" would be replaced by its own text: its output then gets
// ".txt" appended to the whole name ("notes.txt.txt").
QString notOverThePdf(const QString &output, const QString &pdf,
                      const QString &extension = TextExtension);

// The output path of `pdf` under `choice`, NotOverThePdf applied; "" with no choice.
QString forChoice(const OutputChoice &choice, const QString &pdf,
                  const QString &extension = TextExtension);

// The files listed in a run: no text may take the place of one of them (a PDF named "a.txt" stays
// beside the text of "a.pdf", which is numbered instead). Taken when the run starts.
class ListedFiles
{
public:
    ListedFiles() = default;
    explicit ListedFiles(const QStringList &rows);

    // True when writing a text at `path` would replace a listed file: the same path, or the same
    // file on disk by another spelling (a linked folder, a name in another letter case).
    bool contains(const QString &path) const;

private:
    QSet<QString> m_places;
    QSet<std::pair<quint64, quint64>> m_files;
};

// The n-th name (n from 2) for a text path already taken in the same run: " (n)" before the
// last ".txt" ("a.txt" gives "a (2).txt"), or at the end when the name has no ".txt".
QString numbered(const QString &output, int n, const QString &extension = TextExtension);

// One spelling per place, so that two paths naming the same file are seen to clash.
QString placeKey(const QString &path);

// The text paths of a run's rows, in row order, with every clash numbered: a path that an earlier
// row takes, or that is a listed file, gets the first of " (2)", " (3)" ... that is neither (also
// past one that a PDF called "a (2).pdf" gives). Rows are numbered by their place in the list,
// whether or not an earlier row then converts, so a run gives the same names however its converters
// finish and a later run finds them again. Empty paths (no place chosen) stay empty.
QStringList numberSameNames(const QStringList &outputs, const ListedFiles &listed = {},
                            const QString &extension = TextExtension);

} // namespace outputpaths
