// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a hostile PDF for scripts/walkthrough: one 3 KB page whose form draws a form ten times,
// six levels deep. The converter works on it for minutes and gives no text.
#include "PdfFixtures.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    fixtures::writeFormBomb(QString::fromLocal8Bit(argv[1]), 6);
    return 0;
}
