// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLines.h"

#include <QFileInfo>

QString positionalPath(const QString &path)
{
    return path.startsWith(u'-') ? QFileInfo(path).absoluteFilePath() : path;
}
