// SPDX-License-Identifier: GPL-3.0-or-later
#include "Help.h"

#include "platform/widgets/MessageBoxes.h"

QString helpText()
{
    return QStringLiteral("This program will:") + QStringLiteral("\r\r") +
           QStringLiteral("*extract text from a PDF.") + QStringLiteral("\r\r") +
           QStringLiteral("This program will not:") + QStringLiteral("\r\r") +
           QStringLiteral(
               "*extract an image representing text from a PDF (text within an image within a "
               "PDF).");
}

void showHelp(const MessageBoxes &boxes)
{
    Procedure proc(boxes.reporter(), tags::Help);
    proc.run(100, [&] { boxes.message(helpText()); });
}
