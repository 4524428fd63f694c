// SPDX-License-Identifier: GPL-3.0-or-later
#include "OptionTable.h"

QList<QCommandLineOption> OptionTable::all() const
{
    return {help,         version,       out,        toStdout,     parents,       beside,
            keepTree,     jobs,          timeLimit,  memoryLimit,  passwordFile,  filesFrom,
            files0From,   skipExisting,  resume,     report,       append,        extension,
            converter,    quiet,         ocr,        ocrLanguages, ocrDpi,        ownerPassword,
            userPassword, listEnc,       shard,      layout,       raw,           firstPage,
            lastPage,     encoding,      endOfLine,  noPageBreaks, listEncodings, fixedPitch,
            noDiagonal,   columnSpacing, resolution, crop,         cropX,         cropY,
            cropWidth,    cropHeight,    cropBox,    htmlMeta,     tsv,           bbox,
            bboxLayout,   jsonLines,     jsonLinesBeside};
}

QCommandLineOption OptionTable::flag(const QStringList &names, const QString &description)
{
    return QCommandLineOption(names, description);
}

QCommandLineOption OptionTable::valued(const QStringList &names, const QString &description,
                                       const QString &valueName, const QString &defaultValue)
{
    return QCommandLineOption(names, description, valueName, defaultValue);
}

QCommandLineOption OptionTable::hidden(QCommandLineOption option)
{
    option.setFlags(QCommandLineOption::HiddenFromHelp);
    return option;
}
