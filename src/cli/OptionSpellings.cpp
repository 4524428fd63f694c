// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionSpellings.h"

#include "platform/FileSystem.h"
#include "platform/NativePath.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace optionspellings {

namespace {

const QString EndOfOptions = QStringLiteral("--");

const QCommandLineOption *optionNamed(const QList<QCommandLineOption> &options, const QString &name)
{
    for (const QCommandLineOption &option : options)
        if (option.names().contains(name))
            return &option;
    return nullptr;
}

bool takesValue(const QCommandLineOption &option)
{
    return !option.valueName().isEmpty();
}

// The name without its dashes and without a value after "=".
QString bareName(const QString &spelling)
{
    qsizetype start = 0;
    while (start < spelling.size() && spelling.at(start) == u'-')
        ++start;
    return spelling.mid(start).section(u'=', 0, 0).toLower();
}

qsizetype leadingDashes(const QString &spelling)
{
    return spelling.startsWith(EndOfOptions) ? 2 : spelling.startsWith(u'-') ? 1 : 0;
}

// The optimal string alignment distance: insertions, deletions, substitutions and swaps of two
// neighbours, each counting one.
int editDistance(const QString &a, const QString &b)
{
    const qsizetype rows = a.size() + 1;
    const qsizetype columns = b.size() + 1;
    std::vector<int> d(size_t(rows * columns));
    const auto at = [&](qsizetype i, qsizetype j) -> int & { return d[size_t(i * columns + j)]; };
    for (qsizetype i = 0; i < rows; ++i)
        at(i, 0) = int(i);
    for (qsizetype j = 0; j < columns; ++j)
        at(0, j) = int(j);
    for (qsizetype i = 1; i < rows; ++i)
        for (qsizetype j = 1; j < columns; ++j) {
            const int cost = a.at(i - 1) == b.at(j - 1) ? 0 : 1;
            at(i, j) = std::min({at(i - 1, j) + 1, at(i, j - 1) + 1, at(i - 1, j - 1) + cost});
            if (i > 1 && j > 1 && a.at(i - 1) == b.at(j - 2) && a.at(i - 2) == b.at(j - 1))
                at(i, j) = std::min(at(i, j), at(i - 2, j - 2) + 1);
        }
    return at(rows - 1, columns - 1);
}

QString unknownOption(const QString &argument, const QStringList &spellings)
{
    QString problem = QStringLiteral("Unknown option '%1'.").arg(argument);
    if (const QString meant = nearest(argument, spellings); !meant.isEmpty())
        problem += QStringLiteral(" Did you mean %1?").arg(meant);
    return problem;
}

// The pdftotext spelling `argument` is exactly, or null.
const PdftotextSpelling *pdftotextSpelling(const QString &argument)
{
    for (const PdftotextSpelling &known : pdftotextSpellings())
        if (known.spelling == argument)
            return &known;
    return nullptr;
}

// GNU short options, grouped: each letter is one, and a letter that takes a value takes the rest
// of the group, or the next argument. Whether the next argument is that value; nullopt when a
// letter is no option.
std::optional<bool> valueFollowsGroup(const QString &argument,
                                      const QList<QCommandLineOption> &options)
{
    for (qsizetype letter = 1; letter < argument.size(); ++letter) {
        const QCommandLineOption *option = optionNamed(options, argument.mid(letter, 1));
        if (!option)
            return std::nullopt;
        if (takesValue(*option))
            return letter == argument.size() - 1;
    }
    return false;
}

// The pdftotext spelling a longer single-dash word is a slip of ("-nopgbrke", "-layuot"); "" when
// it is none, and the word is read as grouped short options.
QString nearPdftotextSpelling(const QString &argument);

} // namespace

const QList<PdftotextSpelling> &pdftotextSpellings()
{
    static const QList<PdftotextSpelling> spellings = {
        {QStringLiteral("-layout"), QStringLiteral("layout"), QString(), QString()},
        {QStringLiteral("-raw"), QStringLiteral("raw"), QString(), QString()},
        {QStringLiteral("-enc"), QStringLiteral("encoding"), QStringLiteral("NAME"), QString()},
        {QStringLiteral("-eol"), QStringLiteral("eol"), QStringLiteral("KIND"), QString()},
        {QStringLiteral("-nopgbrk"), QStringLiteral("no-page-breaks"), QString(), QString()},
        {QStringLiteral("-opw"), QStringLiteral("opw"), QStringLiteral("PASSWORD"),
         QStringLiteral("The owner password. Every user of this machine can read a command "
                        "line: --password-file keeps a password private.")},
        {QStringLiteral("-upw"), QStringLiteral("upw"), QStringLiteral("PASSWORD"),
         QStringLiteral("The user password, which opens the file; the same holds.")},
        {QStringLiteral("-listenc"), QStringLiteral("list-encodings"), QString(), QString()},
        {QStringLiteral("-fixed"), QStringLiteral("fixed"), QStringLiteral("PITCH"), QString()},
        {QStringLiteral("-nodiag"), QStringLiteral("no-diagonal"), QString(), QString()},
        {QStringLiteral("-colspacing"), QStringLiteral("column-spacing"),
         QStringLiteral("FRACTION"), QString()},
        {QStringLiteral("-cropbox"), QStringLiteral("cropbox"), QString(), QString()},
        {QStringLiteral("-htmlmeta"), QStringLiteral("html-meta"), QString(), QString()},
        {QStringLiteral("-tsv"), QStringLiteral("tsv"), QString(), QString()},
        {QStringLiteral("-bbox"), QStringLiteral("bbox"), QString(), QString()},
        {QStringLiteral("-bbox-layout"), QStringLiteral("bbox-layout"), QString(), QString()},
        {QStringLiteral("-help"), QStringLiteral("help"), QString(),
         QStringLiteral("As --help; so does -?.")},
    };
    return spellings;
}

QStringList visibleSpellings(const QList<QCommandLineOption> &options)
{
    QStringList spellings;
    for (const QCommandLineOption &option : options) {
        if (option.flags().testFlag(QCommandLineOption::HiddenFromHelp))
            continue;
        for (const QString &name : option.names())
            spellings << (name.size() == 1 ? QStringLiteral("-") : EndOfOptions) + name;
    }
    for (const PdftotextSpelling &pdftotext : pdftotextSpellings())
        spellings << pdftotext.spelling;
    return spellings;
}

QString shown(const QString &text)
{
    QString out = nativepath::forTerminal(text);
    out.replace(u'\n', QStringLiteral("\\x0A"));
    out.replace(u'\t', QStringLiteral("\\x09"));
    return out;
}

QString nearest(const QString &given, const QStringList &spellings)
{
    const QString bare = bareName(given);
    if (bare.isEmpty())
        return QString();
    const QString joined = QString(bare).remove(u'-');
    // Exact but for the dashes first, then the one whose beginning was given, then the fewest
    // edits; a short name is near only when it is nearly all there.
    const int tolerance = bare.size() <= 2 ? 0 : bare.size() <= 5 ? 1 : 2;
    QString best;
    int bestScore = std::numeric_limits<int>::max();
    bool bestSameDashes = false;
    for (const QString &spelling : spellings) {
        const QString candidate = bareName(spelling);
        int score = 0;
        if (candidate == bare || QString(candidate).remove(u'-') == joined) {
            score = 0;
        } else if (bare.size() >= 3 && candidate.startsWith(bare)) {
            score = 1;
        } else {
            const int distance = std::min(editDistance(bare, candidate),
                                          editDistance(joined, QString(candidate).remove(u'-')));
            if (distance > tolerance)
                continue;
            score = 1 + distance;
        }
        const bool sameDashes = leadingDashes(spelling) == leadingDashes(given);
        if (score < bestScore || (score == bestScore && sameDashes && !bestSameDashes)) {
            best = spelling;
            bestScore = score;
            bestSameDashes = sameDashes;
        }
    }
    return best;
}

Respelled respell(const QStringList &arguments, const QList<QCommandLineOption> &options)
{
    const QStringList spellings = visibleSpellings(options);
    Respelled result;
    const qsizetype count = arguments.size();
    for (qsizetype i = 0; i < count; ++i) {
        const QString &argument = arguments.at(i);
        result.arguments << argument;
        // The program's name, an operand, "-" (standard input) and everything after "--".
        if (i == 0 || !argument.startsWith(u'-') || argument == QStringLiteral("-"))
            continue;
        if (argument == EndOfOptions) {
            result.arguments << arguments.mid(i + 1);
            break;
        }
        bool valueFollows = false;
        if (argument.startsWith(EndOfOptions)) {
            const QCommandLineOption *option =
                optionNamed(options, argument.mid(2).section(u'=', 0, 0));
            if (!option) {
                result.problem = unknownOption(argument, spellings);
                return result;
            }
            valueFollows = takesValue(*option) && !argument.contains(u'=');
        } else if (const PdftotextSpelling *pdftotext = pdftotextSpelling(argument)) {
            result.arguments.last() = EndOfOptions + pdftotext->option;
            valueFollows = !pdftotext->valueName.isEmpty();
        } else if (argument == QStringLiteral("-?")) {
            result.arguments.last() = EndOfOptions + QStringLiteral("help"); // pdftotext's too
        } else if (argument.contains(u'.') && files::fileExists(argument)) {
            // "-notes.pdf" would be read as -n -o tes.pdf, or -l eading-dash.pdf.
            result.problem = QStringLiteral("'%1' would be read as options; a file of that name "
                                            "is given as ./%1 or after --.")
                                 .arg(argument);
            return result;
        } else if (const QString meant = nearPdftotextSpelling(argument); !meant.isEmpty()) {
            // "-layuot" would be read as -l ayuot: a pdftotext spelling mistyped is said as such.
            result.problem =
                QStringLiteral("Unknown option '%1'. Did you mean %2?").arg(argument, meant);
            return result;
        } else {
            const std::optional<bool> groupTakesNext = valueFollowsGroup(argument, options);
            if (!groupTakesNext) {
                result.problem = unknownOption(argument, spellings);
                return result;
            }
            valueFollows = *groupTakesNext;
        }
        if (valueFollows && i + 1 < count)
            result.arguments << arguments.at(++i);
    }
    return result;
}

namespace {

QString nearPdftotextSpelling(const QString &argument)
{
    if (argument.startsWith(EndOfOptions) || bareName(argument).size() < 4)
        return QString();
    QStringList words;
    for (const PdftotextSpelling &pdftotext : pdftotextSpellings())
        words << pdftotext.spelling;
    return nearest(argument, words);
}

} // namespace

} // namespace optionspellings
