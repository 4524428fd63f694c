// SPDX-License-Identifier: GPL-3.0-or-later
#include "InputGathering.h"

#include "engine/FilePattern.h"
#include "engine/FolderWalk.h"
#include "engine/JsonLinesFile.h"
#include "engine/Outcome.h"
#include "engine/OutputChoice.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/SystemError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <QDir>
#include <QFileInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A failure inside the walk: the description, on standard error.
void reportOnStandardError(const QString &, int, const QString &description)
{
    std::fputs((nativepath::forTerminal(QStringLiteral("morwenda-batch: ") + description) + u'\n')
                   .toUtf8()
                   .constData(),
               stderr);
    std::fflush(stderr);
}

// The folder a file's text goes to under --out DIR --keep-tree: its folder relative to the
// folder it was found in, or for a file named directly relative to the current folder (its
// whole folder path when it lies outside).
QString keptFolder(const QString &outFolder, const QString &base, const QString &pdf)
{
    const QString folder = QFileInfo(pdf).absolutePath();
    QString relative = QDir(base).relativeFilePath(folder);
    if (relative.startsWith(QStringLiteral("..")) || QDir::isAbsolutePath(relative))
        relative = QDir::cleanPath(folder).mid(1);
    if (relative.isEmpty() || relative == QStringLiteral("."))
        return outFolder;
    return outFolder + u'/' + relative;
}

// Why a path names no file or folder that can be converted, as the final message says it.
QString missingReason(const QString &path)
{
    struct stat facts = {};
    if (::stat(nativepath::encode(path).constData(), &facts) == 0)
        return QStringLiteral("  - not a file or folder (a pipe, socket or device).");
    if (errno == ENOENT || errno == ENOTDIR)
        return QStringLiteral("  - not found: %1.").arg(systemError(errno));
    return reasons::cannotRead(systemError(errno)); // a folder on the way that may not be entered
}

// Numbered by place in the list, as the window numbers, so a resumed run with --skip-existing
// finds the same names. A path that names nothing takes no name, and no text takes the place of a
// listed file.
void numberSameNames(QList<BatchInput> &inputs, const QString &extension, bool besideLines)
{
    QStringList outputs;
    QStringList pdfs;
    for (const BatchInput &input : std::as_const(inputs)) {
        outputs << (input.missing.isEmpty() ? input.output : QString());
        pdfs << input.pdf;
    }
    const outputpaths::ListedFiles listed(pdfs);
    outputs = outputpaths::numberSameNames(outputs, listed, extension);
    for (int i = 0; i < inputs.size(); ++i)
        if (inputs.at(i).missing.isEmpty()) {
            inputs[i].numbered = outputs.at(i) != inputs.at(i).output;
            inputs[i].output = outputs.at(i);
        }
    // --json-lines-beside: the lines beside each text take no listed file's place either.
    if (!besideLines)
        return;
    for (const BatchInput &input : std::as_const(inputs))
        if (!input.output.isEmpty() && listed.contains(jsonlinesfile::besideText(input.output)))
            throw Failure(QStringLiteral("morwenda-batch: %1 is a listed file: "
                                         "--json-lines-beside would replace it")
                              .arg(jsonlinesfile::besideText(input.output)));
}

// FILE.pdf OUT: the text goes to OUT as named, never numbered. A PDF is not replaced by a text:
// neither the PDF itself nor another PDF that OUT names (two PDFs converted each beside itself are
// asked for with --beside).
void placeTextFile(BatchInput &input, const QString &textFile)
{
    if (!input.missing.isEmpty())
        return;
    const QString text = nativepath::absolute(textFile);
    if (outputpaths::ListedFiles({input.pdf}).contains(text) || inputgathering::startsAsPdf(text))
        throw Failure(QStringLiteral("morwenda-batch: %1 is a PDF: its text would replace it "
                                     "(--beside converts both PDFs, each text beside its PDF)")
                          .arg(textFile));
    input.output = text;
}

} // namespace

namespace inputgathering {

QList<BatchInput> gather(const BatchOptions &options)
{
    const bool intoFolder = !options.outFolder.isEmpty();
    const QString outFolder = intoFolder ? nativepath::absolute(options.outFolder) : QString();
    const FilePattern pattern = FilePattern::forExtension(options.extension);
    FolderWalk walk(reportOnStandardError);
    const QString extension = textoptions::outputExtension(options.text);

    QList<BatchInput> inputs;
    const auto add = [&](const QString &pdf, const QString &base) {
        QString output;
        if (!intoFolder)
            output = outputpaths::besidePdf(pdf, extension);
        else if (options.keepTree)
            output = outputpaths::inFolder(keptFolder(outFolder, base, pdf), pdf, extension);
        else
            output = outputpaths::inFolder(outFolder, pdf, extension);
        inputs.append({pdf, outputpaths::notOverThePdf(output, pdf, extension), QString()});
    };
    for (const QString &path : options.paths) {
        const QString absolute = nativepath::absolute(path); // a name's bytes kept
        if (files::isFolder(path)) {
            for (const QString &pdf : walk.collect(absolute, pattern))
                add(pdf, absolute);
        } else if (files::isOrdinaryFile(path)) {
            add(absolute, nativepath::absolute(QStringLiteral(".")));
        } else {
            inputs.append({absolute, QString(), missingReason(path)});
        }
    }
    numberSameNames(inputs, extension, options.text.jsonLines == TextOptions::JsonLines::Beside);
    return inputs;
}

int keepShard(QList<BatchInput> &inputs, Shard shard)
{
    if (shard.isWhole())
        return 0;
    // Only the path decides a file's part: nothing of the file itself is looked at.
    QList<shards::Input> paths;
    paths.reserve(inputs.size());
    int files = 0;
    for (const BatchInput &input : std::as_const(inputs)) {
        paths.append({input.pdf});
        files += input.missing.isEmpty() ? 1 : 0;
    }
    QList<BatchInput> part;
    for (const int index : shards::indexesIn(paths, shard))
        part.append(inputs.at(index));
    inputs = part;
    return files;
}

void placeNamedTexts(QList<BatchInput> &inputs, const BatchOptions &options,
                     const QString &stdinPdf)
{
    for (BatchInput &input : inputs)
        if (!stdinPdf.isEmpty() && input.pdf == stdinPdf && !options.toStdout &&
            options.textFile.isEmpty())
            input.output = outputpaths::inFolder(nativepath::absolute(options.outFolder),
                                                 QStringLiteral("stdin.pdf"),
                                                 textoptions::outputExtension(options.text));
    if (!options.textFile.isEmpty() && inputs.size() == 1)
        placeTextFile(inputs.first(), options.textFile);
}

QString missingOutcome(const QString &reason)
{
    if (reason.startsWith(QStringLiteral("  - not found")))
        return QStringLiteral("missing");
    return reason.startsWith(QStringLiteral("  - not a file")) ? QStringLiteral("not-a-file")
                                                               : outcomeName(Outcome::CannotRead);
}

bool startsAsPdf(const QString &path)
{
    const int descriptor =
        ::open(nativepath::encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0)
        return false;
    char head[5] = {};
    const bool isPdf = ::read(descriptor, head, sizeof head) == sizeof head &&
                       std::memcmp(head, "%PDF-", sizeof head) == 0;
    ::close(descriptor);
    return isPdf;
}

bool isTextOperand(const QString &operand)
{
    if (operand == QLatin1String("-") ||
        operand.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        return true;
    return !operand.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) &&
           !files::isFolder(operand) && !inputgathering::startsAsPdf(operand);
}

} // namespace inputgathering
