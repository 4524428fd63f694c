// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleFolder.h"

#include "platform/FileSystem.h"

#include <QDir>

namespace {
const QString InstalledPart = QStringLiteral("/morwenda/Samples");
}

QString sampleFolder(const QString &executableFolder)
{
    const QString besideExecutable = executableFolder + QStringLiteral("/Samples");
    if (files::isFolder(besideExecutable))
        return besideExecutable;
    const QString candidates[] = {
        QDir::cleanPath(executableFolder + QStringLiteral("/../") +
                        QString::fromUtf8(MORWENDA_INSTALL_DATADIR) + InstalledPart),
        QString::fromUtf8(MORWENDA_INSTALL_FULL_DATADIR) + InstalledPart,
    };
    for (const QString &installed : candidates) {
        if (files::isFolder(installed))
            return installed;
    }
    return besideExecutable;
}
