#include "CommandLines.h"

#include <QFileInfo>

QString PositionalPath(const QString &path)
{
    return path.startsWith(u'-') ? QFileInfo(path).absoluteFilePath() : path;
}
