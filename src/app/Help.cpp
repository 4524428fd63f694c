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
                                       "within an image within a PDF).") +
           QStringLiteral("\r\r") +
           // Reading scanned pages by OCR makes the sentence above untrue when it is on.
           QCoreApplication::translate("Help",
                                       "With the OCR Option ticked, it does read the text within "
                                       "the images of scanned pages, by OCR in the chosen "
                                       "language.");
}

void showHelp(const MessageBoxes &boxes)
{
    Procedure proc(boxes.reporter(), tags::Help);
    proc.run(100, [&] { boxes.message(helpText()); });
}
