// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the program's drawn icon as the PNGs of the hicolor icon theme:
//   render_icons FOLDER SIZE...
// makes FOLDER/<SIZE>x<SIZE>/apps/org.tarvenik.Morwenda.png for each SIZE. Exits 1 when a size is
// not a positive number or a file cannot be written.
#include "app/ProductIcon.h"

#include <cstdio>
#include <QDir>
#include <QGuiApplication>

int main(int argc, char *argv[])
{
    // Drawing into an image needs no application object and no screen.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (arguments.size() < 3) {
        std::fprintf(stderr, "usage: render_icons FOLDER SIZE...\n");
        return 1;
    }
    const QDir root(arguments.at(1));
    for (const QString &argument : arguments.mid(2)) {
        bool isNumber = false;
        const int size = argument.toInt(&isNumber);
        if (!isNumber || size <= 0) {
            std::fprintf(stderr, "render_icons: '%s' is not a size\n", qPrintable(argument));
            return 1;
        }
        const QString folder = root.filePath(QStringLiteral("%1x%1/apps").arg(size));
        const QString file = folder + QLatin1Char('/') + QLatin1String(DesktopId) + ".png";
        if (!QDir().mkpath(folder) || !drawnProductIcon(size).save(file, "PNG")) {
            std::fprintf(stderr, "render_icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
