#include "BatchController.h"

#include "Outcome.h"
#include "ConvertFile.h"
#include "filelist/RowListModel.h"
#include "platform/CaptionProgressBar.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/PathRules.h"
#include "platform/PointerState.h"
#include "TextCheck.h"

#include <cmath>
#include <QCoreApplication>

namespace {

const QString NoFiles = QStringLiteral("No files added.");
const QString NoFolder = QStringLiteral("Folder does not exist. Please select another folder.");
const QString NoData = QStringLiteral("File(s) has no data.");
const QString NoChoice =
    QStringLiteral("Please choose where to save the text files: in a folder, or next to each PDF.");
const QString FailuresHeader = QStringLiteral("\r\nThe following files could not be read:");

// The bar holds whole numbers; halves go to the even neighbour.
int roundedPercent(int position, int count)
{
    return int(std::nearbyint(double(position) / double(count) * 100.0));
}

} // namespace

BatchController::BatchController(RowListModel &rows, PointerState &pointer,
                                 CaptionProgressBar &progress, const MessageBoxes &boxes,
                                 std::function<OutputChoice()> outputChoice, QObject *parent)
    : QObject(parent), m_rows(rows), m_pointer(pointer), m_progress(progress), m_boxes(boxes),
      m_outputChoice(std::move(outputChoice))
{
}

void BatchController::startConversion()
{
    if (m_running)
        return;
    Procedure proc(m_boxes.reporter(), tags::BatchRun);
    m_running = true;
    QCoreApplication::processEvents();

    if (!refuseToStart(proc)) {
        m_pointer.set(PointerState::Busy);
        QString failures;
        bool gotData = false;
        StagingArea staging;
        // The count is taken once; rows removed meanwhile are reported as missing.
        const int total = m_rows.count();
        for (int position = 1; position <= total; ++position) {
            const FileOutcome outcome = convertFile(proc, position, staging);
            failures += outcome.failure;
            if (outcome.produced)
                gotData = true;
        }
        finishRun(proc, failures, gotData);
    }
    m_running = false;
}

bool BatchController::refuseToStart(Procedure &proc)
{
    const OutputChoice choice = m_outputChoice();
    if (m_rows.count() == 0) {
        proc.run(108, [&] { m_boxes.message(NoFiles); });
        return true;
    }
    if (!files::IsFolder(choice.folder) && choice.mode != OutputChoice::Mode::BesidePdf) {
        proc.run(112, [&] { m_boxes.message(NoFolder); });
        return true;
    }
    if (choice.mode == OutputChoice::Mode::None) {
        // Without a choice there is no output path at all; no file is written.
        proc.run(116, [&] { m_boxes.message(NoChoice); });
        return true;
    }
    return false;
}

BatchController::FileOutcome BatchController::convertFile(Procedure &proc, int position,
                                                          StagingArea &staging)
{
    FileOutcome outcome;
    QString pdf;
    QString output;
    QString password;

    QCoreApplication::processEvents();
    m_pointer.set(PointerState::Busy);
    m_progress.setValue(roundedPercent(position, m_rows.count()));
    proc.run(126, [&] {
        if (position > m_rows.count())
            throw Failure(QStringLiteral("Index out of bounds"));
        pdf = m_rows.text(position - 1);
    });
    m_progress.setText(QStringLiteral("Processing: ") + paths::GetFileName(pdf));
    QCoreApplication::processEvents();

    const OutputChoice choice = m_outputChoice();
    proc.run(132, [&] {
        if (choice.mode == OutputChoice::Mode::None)
            throw Failure(NoChoice);
        output = outputpaths::forChoice(choice, pdf);
    });
    if (choice.askPassword)
        proc.run(136, [&] { password = m_boxes.askPassword(pdf); });
    const bool typed = !password.isEmpty();
    proc.run(typed ? 140 : 146, [&] {
        if (output.isEmpty())
            return;
        outcome.produced =
            ConvertFile(staging, pdf, output, password, ConvertMode::Batch, &m_progress,
                        m_progress.text(), m_progress.value(), m_rows.count());
    });
    if (!outcome.produced) {
        outcome.failure =
            QStringLiteral("\r\n") + pdf + (typed ? reasons::WrongPassword : reasons::Protected);
    } else if (proc.branch(typed ? 144 : 150,
                           [&] { return NoTextPDF(output, m_boxes.reporter()); })) {
        outcome.failure = QStringLiteral("\r\n") + pdf + reasons::Unreadable;
    }
    return outcome;
}

void BatchController::finishRun(Procedure &proc, QString failures, bool gotData)
{
    if (!failures.trimmed().isEmpty())
        failures.prepend(FailuresHeader);
    m_pointer.set(PointerState::Default);
    m_progress.setValue(0);
    m_progress.setText(QStringLiteral("Progress Bar"));
    if (gotData)
        proc.run(160, [&] { m_boxes.message(QStringLiteral("Done.") + failures); });
    else
        proc.run(162, [&] { m_boxes.message(NoData); });
}
