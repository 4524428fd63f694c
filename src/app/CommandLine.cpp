// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

#include "platform/NativePath.h"

QStringList commandLineFiles(const QStringList &arguments)
{
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
            continue;
        }
        if ((!optionsEnded && argument.startsWith(QStringLiteral("--"))) || argument.isEmpty())
            continue;
        files.append(nativepath::absolute(argument));
    }
    return files;
}

QStringList commandLineArguments(int argc, const char *const *argv)
{
    return nativepath::arguments(argc, argv);
}
