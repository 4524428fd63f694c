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

    // What the converter writes: the text, or one of pdftotext's marked-up forms of it.
    enum class Output
    {
        Text,       // the text alone
        HtmlMeta,   // -htmlmeta: the text in an HTML page that carries the document's information
        Tsv,        // -tsv: a row per page, flow, line and word, with its box
        Bbox,       // -bbox: an HTML page of each page's words with their boxes
        BboxLayout, // -bbox-layout: -bbox with the boxes of the flows, blocks and lines too
    };
    // -x, -y, -W, -H: the part of each page whose text is kept, in pixels at `resolution` from the
    // page's top left corner. A width or height of 0 reaches the page's edge.
    struct Crop
    {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        friend bool operator==(const Crop &, const Crop &) = default;
    };

    static inline const QString DefaultEncoding = QStringLiteral("UTF-8");
    static constexpr double DefaultResolution = 72;
    static constexpr double DefaultColumnSpacing = 0.7;

    Mode mode = Mode::Reading;
    int firstPage = 0;                  // -f; 0: from the first page
    int lastPage = 0;                   // -l; 0: to the last page
    QString encoding = DefaultEncoding; // -enc, as pdftotext -listenc spells it
    EndOfLine endOfLine = EndOfLine::Unix;
    bool pageBreaks = true; // false: -nopgbrk
    Output output = Output::Text;
    double resolution = DefaultResolution; // -r, in dots per inch: the crop area's unit
    Crop crop;
    double fixedPitch = 0;                       // -fixed; 0: the pitch is taken from the text
    bool discardDiagonal = false;                // -nodiag
    bool cropBox = false;                        // -cropbox: the crop box, not the media box
    double columnSpacing = DefaultColumnSpacing; // -colspacing, a fraction of the font size
    // The pages and the document's information as JSON Lines (engine/JsonLinesFile), in place
    // of the text or beside it.
    enum class JsonLines
    {
        Off,
        Instead,
        Beside,
    };
    JsonLines jsonLines = JsonLines::Off;

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

// The extension of the file a PDF's output is written to, without its dot: "txt" for the text,
// "html" for the HTML forms, "tsv" for the TSV, "jsonl" for JSON Lines in the text's place. Every
// name given to an output comes from here.
QString outputExtension(const TextOptions &options);

// The command line's words of the outputs other than the text: "html-meta", "tsv", "bbox",
// "bbox-layout"; "" for the text.
QString outputName(TextOptions::Output output);

} // namespace textoptions
