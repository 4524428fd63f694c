// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class SettingsStore;

// The text a converter makes of a PDF, in pdftotext's terms. The defaults are pdftotext's own:
// reading order, every page, UTF-8, LF line ends, a form feed after each page.
struct TextOptions
{
    enum class Mode
    {
        Reading, // reading order (pdftotext without -layout or -raw)
        Layout,  // the physical layout kept (-layout)
        Raw,     // content stream order (-raw)
    };
    enum class EndOfLine
    {
        Unix, // LF
        Dos,  // CR LF
        Mac,  // CR
    };

    static inline const QString DefaultEncoding = QStringLiteral("UTF-8");

    Mode mode = Mode::Reading;
    int firstPage = 0;                  // -f; 0: from the first page
    int lastPage = 0;                   // -l; 0: to the last page
    QString encoding = DefaultEncoding; // -enc, as pdftotext -listenc spells it
    EndOfLine endOfLine = EndOfLine::Unix;
    bool pageBreaks = true; // false: -nopgbrk

    // The choices of the settings keys (settingkeys::TextMode and the keys after it), read at the
    // start of each run. An absent or unreadable mode, end of line, page number or truth value is
    // the default; an encoding is taken as written (in any letter case), so a name that no
    // converter knows names its failure instead of giving another encoding's text.
    static TextOptions fromSettings(const SettingsStore &store);

    // The pages -f and -l ask for in a document of `pageCount` pages, as pdftotext takes them:
    // from page 1 when firstPage is below 1, to the last page when lastPage is below 1 or beyond
    // it. The range holds no page when first > last.
    struct Pages
    {
        int first = 1;
        int last = 0;
    };
    Pages pagesOf(int pageCount) const;

    friend bool operator==(const TextOptions &, const TextOptions &) = default;
};

namespace textoptions {

// The encodings pdftotext -listenc names (with poppler-data installed), in its order.
const QStringList &encodingNames();

// The name as pdftotext spells it for a name in any letter case; "" for none of encodingNames().
QString knownEncoding(const QString &name);

// The words of the settings and of the command line: "reading", "layout", "raw"; "unix", "dos",
// "mac".
QString modeName(TextOptions::Mode mode);
bool modeFromName(const QString &name, TextOptions::Mode &mode);
QString endOfLineName(TextOptions::EndOfLine endOfLine);
bool endOfLineFromName(const QString &name, TextOptions::EndOfLine &endOfLine);

// pdftotext's options for the text (none for the defaults), before the file's name.
QStringList pdftotextArguments(const TextOptions &options);

} // namespace textoptions
