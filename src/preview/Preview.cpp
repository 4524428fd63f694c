#include "Preview.h"

#include "app/WindowContext.h"
#include "convert/BatchRun.h"
#include "convert/ConvertFile.h"
#include "convert/TextCheck.h"
#include "filelist/FileListHandlers.h"
#include "filelist/RowListModel.h"
#include "platform/CaptionProgressBar.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "platform/PointerState.h"
#include "platform/TemporaryFolder.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QTreeView>

namespace {

// The PDF's file name without its last extension; a name without a dot stays whole.
QString shownName(const QString &pdf)
{
    const QString fileName = paths::GetFileName(pdf);
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? fileName : fileName.left(dot);
}

} // namespace

QString ProtectedRow(const QString &name)
{
    return QStringLiteral("The file ") + name +
           QStringLiteral(" can not be read by this software - password protected.");
}

QString UnreadableRow(const QString &name)
{
    return QStringLiteral("The file ") + name +
           QStringLiteral(" can not be read by this software - text unreadable. Please view the "
                          "file yourself to see if it is really a scanned image of text and not "
                          "proper PDF text.");
}

void ListView1_Click(WindowContext &ctx)
{
    Procedure proc(ctx.reporter(), tags::Preview);
    RowListModel &preview = *ctx.previewRows;
    // A preview that starts inside another long operation gives the busy pointer back to it, so
    // the file list cannot be edited under a running batch or scan.
    const int pointerFound = ctx.pointer->value();
    QString pdf;
    QString password;
    QString name;
    // The converter writes into a private folder, never beside the PDF, so a text file of the
    // same name there is left alone.
    TemporaryFolder scratch;
    QString txt;

    if (proc.guard(100, [&] { return ctx.fileRows->count() == 0 || !SelectedItem(ctx).isValid(); }))
        return;
    proc.run(102, [&] { ctx.pointer->set(PointerState::Busy); });
    proc.run(104, [] { QCoreApplication::processEvents(); });
    proc.run(106, [&] { preview.clear(); });
    proc.run(110, [&] {
        const QModelIndex row = SelectedItem(ctx);
        if (row.isValid())
            pdf = ctx.fileRows->text(row.row());
    });
    auto convert = [&](const QString &withPassword) {
        if (!scratch.isValid())
            return;
        txt = scratch.filePath(QStringLiteral("preview.txt"));
        StagingArea staging;
        ConvertFile(staging, pdf, txt, withPassword, ConvertMode::Preview, ctx.ProgressBar1,
                    QString(), 0, 0);
    };
    if (proc.branch(112, [&] { return ctx.Check1->checkState() == Qt::Checked; })) {
        proc.run(114, [&] { password = AskPassword(ctx, pdf); });
        if (proc.branch(116, [&] { return !password.isEmpty(); }))
            proc.run(118, [&] { convert(password); });
        else
            proc.run(120, [&] { convert(QString()); });
    } else {
        proc.run(122, [&] { convert(QString()); });
    }
    proc.run(124, [&] { name = shownName(pdf); });
    if (proc.branch(126, [&] { return !files::IsOrdinaryFile(txt); })) {
        proc.run(146, [&] { preview.append(ProtectedRow(name)); });
    } else {
        if (proc.branch(128, [&] { return NoTextPDF(txt, ctx.reporter()); })) {
            proc.run(142, [&] { preview.append(UnreadableRow(name)); });
        } else {
            QStringList lines;
            proc.run(130, [&] { lines = ReadFileToStringFSOLine(txt, ctx.reporter()); });
            for (int i = 0;
                 proc.loopWhile(132, [&] { return i < lines.size() && i < PreviewLineLimit; });
                 ++i) {
                proc.run(134, [&] { ctx.pointer->set(PointerState::Busy); });
                proc.run(136, [] { QCoreApplication::processEvents(); });
                proc.run(138, [&] { preview.append(lines.at(i)); });
            }
        }
        proc.run(144, [&] { files::DeleteFileSafe(txt); });
    }
    proc.run(148, [&] {
        ctx.pointer->set(pointerFound == PointerState::Busy ? PointerState::Busy
                                                            : PointerState::Default);
    });
}
