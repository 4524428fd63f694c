// SPDX-License-Identifier: GPL-3.0-or-later
#include "Help.h"

#include "platform/widgets/MessageBoxes.h"

#include <QCoreApplication>

QString helpText()
{
    return QCoreApplication::translate("Help", "This program will:") + QStringLiteral("\r\r") +
           QCoreApplication::translate("Help", "*extract text from a PDF.") +
           QStringLiteral("\r\r") + QCoreApplication::translate("Help", "This program will not:") +
           QStringLiteral("\r\r") +
           QCoreApplication::translate("Help",
                                       "*extract an image representing text from a PDF (text "
                                       "within an image within a PDF).");
}

void showHelp(const MessageBoxes &boxes)
{
    Procedure proc(boxes.reporter(), tags::Help);
    proc.run(100, [&] { boxes.message(helpText()); });
}
