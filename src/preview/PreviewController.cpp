#include "PreviewController.h"

#include "convert/ConvertFile.h"
#include "convert/TextCheck.h"
#include "filelist/RowListModel.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/PathRules.h"
#include "platform/PointerState.h"
#include "platform/TemporaryFolder.h"

#include <QCoreApplication>

namespace {

// The PDF's file name without its last extension; a name without a dot stays whole.
QString shownName(const QString &pdf)
{
    const QString fileName = paths::GetFileName(pdf);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? fileName : fileName.left(dot);
}

} // namespace

PreviewController::PreviewController(RowListModel &previewRows, PointerState &pointer,
                                     ProgressTarget &progress, const MessageBoxes &boxes,
                                     QObject *parent)
    : QObject(parent), m_previewRows(previewRows), m_pointer(pointer), m_progress(progress),
      m_boxes(boxes)
{
}

QString PreviewController::protectedRow(const QString &name)
{
    return QStringLiteral("The file ") + name +
           QStringLiteral(" can not be read by this software - password protected.");
}

QString PreviewController::unreadableRow(const QString &name)
{
    return QStringLiteral("The file ") + name +
           QStringLiteral(" can not be read by this software - text unreadable. Please view the "
                          "file yourself to see if it is really a scanned image of text and not "
                          "proper PDF text.");
}

void PreviewController::previewFile(const QString &pdf, bool askPassword)
{
    if (pdf.isEmpty())
        return;
    Procedure proc(m_boxes.reporter(), tags::Preview);
    // A preview that starts inside another long operation gives the busy pointer back to it, so
    // the file list cannot be edited under a running batch or scan.
    const bool wasBusy = m_pointer.isBusy();
    // The converter writes into a private folder, never beside the PDF, so a text file of the
    // same name there is left alone.
    TemporaryFolder scratch;
    const QString text = scratch.filePath(QStringLiteral("preview.txt"));
    QString password;

    m_pointer.set(PointerState::Busy);
    QCoreApplication::processEvents();
    m_previewRows.clear();

    const auto convert = [&](int statement, const QString &withPassword) {
        proc.run(statement, [&] {
            if (!scratch.isValid())
                return;
            StagingArea staging;
            ConvertFile(staging, pdf, text, withPassword, ConvertMode::Preview, &m_progress,
                        QString(), 0, 0);
        });
    };
    if (askPassword) {
        proc.run(114, [&] { password = m_boxes.askPassword(pdf); });
        convert(password.isEmpty() ? 120 : 118, password);
    } else {
        convert(122, QString());
    }

    const QString name = shownName(pdf);
    if (!scratch.isValid() || !files::IsOrdinaryFile(text)) {
        m_previewRows.append(protectedRow(name));
    } else {
        if (proc.branch(128, [&] { return NoTextPDF(text, m_boxes.reporter()); }))
            m_previewRows.append(unreadableRow(name));
        else
            showLines(proc, text);
        QCoreApplication::processEvents();
        proc.run(144, [&] { files::DeleteFileSafe(text); });
    }
    m_pointer.set(wasBusy ? PointerState::Busy : PointerState::Default);
}

void PreviewController::showLines(Procedure &proc, const QString &text)
{
    QStringList lines;
    proc.run(130, [&] { lines = ReadFileToStringFSOLine(text, m_boxes.reporter()); });
    for (int i = 0; i < lines.size() && i < LineLimit; ++i) {
        m_pointer.set(PointerState::Busy);
        QCoreApplication::processEvents();
        m_previewRows.append(lines.at(i));
    }
}
