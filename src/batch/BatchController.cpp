// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchController.h"

#include "engine/ConversionLimits.h"
#include "engine/ConversionRun.h"
#include "engine/RunSummary.h"
#include "platform/NativePath.h"
#include "platform/RowListModel.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/FileSystem.h"
#include "platform/widgets/MessageBoxes.h"
#include "platform/PathRules.h"
#include "platform/widgets/PointerState.h"
#include "engine/SessionConverters.h"

#include <cmath>
#include <QPointer>

namespace {

const QString NoFiles = QStringLiteral("No files added.");
const QString NoFolder = QStringLiteral("Folder does not exist. Please select another folder.");
const QString NoChoice =
    QStringLiteral("Please choose where to save the text files: in a folder, or next to each PDF.");
const QString IdleCaption = QStringLiteral("Progress Bar");

// The bar holds whole numbers; halves go to the even neighbour.
int roundedPercent(double done, int total)
{
    return total <= 0 ? 0 : int(std::nearbyint(done / double(total) * 100.0));
}

} // namespace

const QString BatchController::StopQuestion =
    QStringLiteral("Stop converting now?\r\n\r\nText files already made are kept; the files not "
                   "yet converted are named at the end.");

BatchController::BatchController(RowListModel &rows, PointerState &pointer,
                                 CaptionProgressBar &progress, const MessageBoxes &boxes,
                                 std::function<OutputChoice()> outputChoice,
                                 SessionConverters &converters, const SettingsStore &settings,
                                 QObject *parent)
    : QObject(parent), m_rows(rows), m_pointer(pointer), m_progress(progress), m_boxes(boxes),
      m_outputChoice(std::move(outputChoice)), m_converters(converters), m_settings(settings)
{
}

BatchController::~BatchController() = default;

void BatchController::startConversion()
{
    if (m_run) {
        askToStop();
        return;
    }
    if (m_busy || m_closed)
        return; // the final message is still open, or the window is closing
    m_proc = std::make_unique<Procedure>(m_boxes.reporter(), tags::BatchRun);
    const OutputChoice choice = m_outputChoice();
    if (refuseToStart(*m_proc, choice))
        return;

    m_busy = true;
    m_run = std::make_unique<ConversionRun>(m_converters.chosen(m_settings));
    m_run->setPasswordProvider([this](const QString &pdf) { return askPassword(pdf); });
    connect(m_run.get(), &ConversionRun::progressed, this, [this](int, int total) {
        m_progress.setValue(roundedPercent(m_run->filesDone(), total));
    });
    // Pages move the bar within the files converting (the files done count whole).
    connect(m_run.get(), &ConversionRun::pagesDone, this, [this] {
        m_progress.setValue(roundedPercent(m_run->filesDone(), int(m_run->outcomes().size())));
    });
    connect(m_run.get(), &ConversionRun::converting, this, [this](const QString &pdf) {
        m_progress.setText(QStringLiteral("Processing: ") +
                           nativepath::display(paths::getFileName(pdf)));
    });
    connect(m_run.get(), &ConversionRun::finished, this, &BatchController::onRunFinished);
    m_pointer.set(PointerState::Busy);
    m_progress.setValue(0);
    emit runningChanged(true);
    // The rows as they are now: dragging, removing or adding rows later changes nothing.
    m_run->start(m_rows.texts(), choice, ConversionLimits::fromSettings(m_settings));
}

bool BatchController::refuseToStart(Procedure &proc, const OutputChoice &choice)
{
    if (m_rows.count() == 0) {
        proc.run(108, [&] { m_boxes.message(NoFiles); });
        return true;
    }
    if (!files::isFolder(choice.folder) && choice.mode != OutputChoice::Mode::BesidePdf) {
        proc.run(112, [&] { m_boxes.message(NoFolder); });
        return true;
    }
    if (choice.mode == OutputChoice::Mode::None) {
        // Without a choice there is no output path at all; no file is written.
        proc.run(116, [&] { m_boxes.message(NoChoice); });
        return true;
    }
    // A language that is not installed is said once, before any file is converted.
    const QString missing =
        ConversionLimits::fromSettings(m_settings).ocr.missingLanguagesMessage();
    if (!missing.isEmpty()) {
        proc.run(117, [&] { m_boxes.message(missing); });
        return true;
    }
    return false;
}

QString BatchController::askPassword(const QString &pdf)
{
    QString password;
    // The box waits in its own event loop; the converters already started keep going.
    m_proc->run(136, [&] { password = m_boxes.askPassword(pdf); });
    return password;
}

void BatchController::askToStop()
{
    if (m_askingToStop || !m_run || m_run->wasStopped())
        return;
    m_askingToStop = true;
    const QPointer<BatchController> alive(this);
    const MessageAnswer answer =
        m_boxes.message(StopQuestion, MessageButtons::YesNo, MessageIcon::Question);
    if (!alive)
        return;
    m_askingToStop = false;
    if (m_finishWaiting)
        finishRun(); // every file ended while the question was open
    else if (answer == MessageAnswer::Yes && m_run)
        m_run->stop(); // its finished() follows from the event loop
}

void BatchController::onRunFinished()
{
    if (m_askingToStop) {
        // The final message waits until the question is answered, not on top of it.
        m_finishWaiting = true;
        return;
    }
    finishRun();
}

void BatchController::finishRun()
{
    m_finishWaiting = false;
    if (!m_run)
        return;
    const QString text = m_run->finalMessage();
    const bool leftText = runsummary::leftAnyText(m_run->outcomes());
    m_run.reset(); // its converters are gone and its staging folders removed
    m_pointer.set(PointerState::Default);
    m_progress.setValue(0);
    m_progress.setText(IdleCaption);
    const QPointer<BatchController> alive(this);
    if (leftText)
        m_proc->run(160, [&] { m_boxes.message(text); });
    else
        m_proc->run(162, [&] { m_boxes.message(text); });
    if (!alive)
        return;
    m_busy = false;
    emit runningChanged(false);
}

void BatchController::abandon()
{
    m_closed = true;
    if (m_run) {
        m_run->disconnect(this);
        m_run.reset();
    }
    m_askingToStop = false;
    m_finishWaiting = false;
    if (m_busy) {
        m_busy = false;
        emit runningChanged(false);
    }
}
