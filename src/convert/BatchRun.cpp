#include "BatchRun.h"

#include "app/WindowContext.h"
#include "ConvertFile.h"
#include "filelist/RowListModel.h"
#include "platform/CaptionProgressBar.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"
#include "platform/PointerState.h"
#include "TextCheck.h"

#include <cmath>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>

namespace {

const QString NoFiles = QStringLiteral("No files added.");
const QString NoFolder = QStringLiteral("Folder does not exist. Please select another folder.");
const QString NoChoice =
    QStringLiteral("Please choose where to save the text files: in a folder, or next to each PDF.");
const QString NoData = QStringLiteral("File(s) has no data.");

// The bar holds whole numbers; halves go to the even neighbour.
int roundedPercent(int position, int count)
{
    return int(std::nearbyint(double(position) / double(count) * 100.0));
}

} // namespace

QString PasswordPrompt(const QString &pdf)
{
    return QStringLiteral("Enter password for file (") + pdf + QStringLiteral("): ") +
           QStringLiteral("\r\n") +
           QStringLiteral("Note: Leave this box blank if file is not password protected");
}

QString AskPassword(WindowContext &ctx, const QString &pdf)
{
    return ctx.services->inputBox(ctx.Form1, QStringLiteral("Input Password"), PasswordPrompt(pdf),
                                  QString());
}

QString OutputPathInFolder(const QString &folder, const QString &pdf)
{
    const QChar sep = paths::separator();
    return paths::RemoveDoubleBackslashes(folder + sep +
                                          paths::OutputFileName(paths::GetFileName(pdf)));
}

QString OutputPathBesidePdf(const QString &pdf)
{
    const QChar sep = paths::separator();
    return paths::RemoveDoubleBackslashes(paths::GetFolderPath(pdf) + sep +
                                          paths::OutputFileName(paths::GetFileName(pdf)));
}

QString NotOverThePdf(const QString &output, const QString &pdf)
{
    const QFileInfo target(output);
    if (!target.exists() || target.canonicalFilePath() != QFileInfo(pdf).canonicalFilePath())
        return output;
    return output + QStringLiteral(".txt");
}

void PushButton2_Click(WindowContext &ctx)
{
    Procedure proc(ctx.reporter(), tags::BatchRun);
    RowListModel &rows = *ctx.fileRows;
    CaptionProgressBar &bar = *ctx.ProgressBar1;
    QString failures;
    bool gotData = false;
    StagingArea staging;
    bool refused = false;

    if (proc.guard(100, [&] { return ctx.batchBusy; }))
        return;
    proc.run(102, [&] { ctx.batchBusy = true; });
    proc.run(104, [] { QCoreApplication::processEvents(); });

    if (proc.guard(106, [&] { return rows.count() == 0; })) {
        proc.run(108, [&] { ctx.message(NoFiles); });
        refused = true;
    } else if (proc.guard(110, [&] {
                   return !files::IsFolder(ctx.Text1->text()) && !ctx.Option2->isChecked();
               })) {
        proc.run(112, [&] { ctx.message(NoFolder); });
        refused = true;
    } else if (proc.guard(114,
                          [&] { return !ctx.Option1->isChecked() && !ctx.Option2->isChecked(); })) {
        // Without a choice there is no output path at all; no file is written.
        proc.run(116, [&] { ctx.message(NoChoice); });
        refused = true;
    }

    if (!refused) {
        proc.run(118, [&] {
            ctx.pointer->set(PointerState::Busy);
            failures.clear();
            gotData = false;
        });
        int total = 0;
        proc.run(120, [&] { total = rows.count(); });
        for (int i = 1; i <= total; ++i) {
            QString pdf;
            QString output;
            QString password;
            bool produced = false;
            proc.run(122, [&] {
                QCoreApplication::processEvents();
                ctx.pointer->set(PointerState::Busy);
            });
            proc.run(124, [&] { bar.setValue(roundedPercent(i, rows.count())); });
            proc.run(126, [&] {
                if (i > rows.count())
                    throw Failure(QStringLiteral("Index out of bounds"));
                pdf = rows.text(i - 1);
            });
            proc.run(128, [&] {
                bar.setText(QStringLiteral("Processing: ") + paths::GetFileName(pdf));
                QCoreApplication::processEvents();
            });
            proc.run(132, [&] {
                if (ctx.Option1->isChecked())
                    output = OutputPathInFolder(ctx.Text1->text(), pdf);
                else if (ctx.Option2->isChecked())
                    output = OutputPathBesidePdf(pdf);
                else
                    throw Failure(NoChoice);
                output = NotOverThePdf(output, pdf);
            });
            if (proc.branch(134, [&] { return ctx.Check1->checkState() == Qt::Checked; })) {
                proc.run(136, [&] { password = AskPassword(ctx, pdf); });
            }
            const bool typed = proc.branch(138, [&] { return !password.isEmpty(); });
            proc.run(typed ? 140 : 146, [&] {
                if (output.isEmpty())
                    return;
                produced =
                    ConvertFile(staging, pdf, output, typed ? password : QString(),
                                ConvertMode::Batch, &bar, bar.text(), bar.value(), rows.count());
            });
            if (proc.branch(typed ? 142 : 148, [&] { return !produced; })) {
                failures += QStringLiteral("\r\n") + pdf +
                            (typed ? reasons::WrongPassword : reasons::Protected);
            } else if (proc.branch(typed ? 144 : 150,
                                   [&] { return NoTextPDF(output, ctx.reporter()); })) {
                failures += QStringLiteral("\r\n") + pdf + reasons::Unreadable;
            }
            proc.run(152, [&] {
                if (produced)
                    gotData = true;
            });
        }
        proc.run(154, [&] {
            if (!failures.trimmed().isEmpty())
                failures.prepend(QStringLiteral("\r\nThe following files could not be read:"));
        });
        proc.run(156, [&] {
            ctx.pointer->set(PointerState::Default);
            bar.setValue(0);
            bar.setText(QStringLiteral("Progress Bar"));
        });
        if (proc.branch(158, [&] { return gotData; }))
            proc.run(160, [&] { ctx.message(QStringLiteral("Done.") + failures); });
        else
            proc.run(162, [&] { ctx.message(NoData); });
    }
    proc.run(164, [&] { ctx.batchBusy = false; });
}
