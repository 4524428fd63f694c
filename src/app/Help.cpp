#include "Help.h"

#include "WindowContext.h"

QString HelpText()
{
    return QStringLiteral("This program will:") + QStringLiteral("\r\r") +
           QStringLiteral("*extract text from a PDF.") + QStringLiteral("\r\r") +
           QStringLiteral("This program will not:") + QStringLiteral("\r\r") +
           QStringLiteral(
               "*extract an image representing text from a PDF (text within an image within a "
               "PDF).");
}

void PushButton5_Click(WindowContext &ctx)
{
    Procedure proc(ctx.reporter(), tags::Help);
    proc.run(100, [&] { ctx.message(HelpText()); });
}
