// SPDX-License-Identifier: GPL-3.0-or-later
#include "BatchController.h"

#include "FinalList.h"
#include "RunEndNotice.h"
#include "RunPasswords.h"

#include "engine/ConversionLimits.h"
#include "engine/ConversionRun.h"
#include "engine/RunSummary.h"
#include "engine/SessionConverters.h"
#include "platform/FileSystem.h"
#include "platform/NativePath.h"
#include "platform/PathRules.h"
#include "platform/RowListModel.h"
#include "platform/widgets/CaptionProgressBar.h"
#include "platform/widgets/MessageBoxes.h"
#include "platform/widgets/PointerState.h"

#include <algorithm>
#include <cmath>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

namespace {

QString idleCaption()
{
    return QCoreApplication::translate("WindowLayout", "Progress Bar");
}

// The bar holds whole numbers; halves go to the even neighbour.
int roundedPercent(double done, int total)
{
    return total <= 0 ? 0 : int(std::nearbyint(done / double(total) * 100.0));
}

} // namespace

QString BatchController::stopQuestion()
{
    return tr("Stop converting now?\r\n\r\nText files already made are kept; the files not yet "
              "converted are named at the end.");
}

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
    ConverterKind &converter = m_converters.chosen(m_settings);
    const ConversionLimits limits = ConversionLimits::fromSettings(m_settings);
    m_run = std::make_unique<ConversionRun>(converter);
    m_passwords = std::make_unique<RunPasswords>(
        converter, limits, [this](const QString &pdf) { return askPassword(pdf); });
    m_run->setPasswordProvider(
        [this](const QString &pdf) { return m_passwords->passwordFor(pdf); });
    connect(m_run.get(), &ConversionRun::progressed, this, [this](int done, int total) {
        m_filesDone = done;
        m_progress.setValue(roundedPercent(m_run->filesDone(), total));
    });
    // Pages move the bar within the files converting (the files done count whole).
    connect(m_run.get(), &ConversionRun::pagesDone, this, [this] {
        m_progress.setValue(roundedPercent(m_run->filesDone(), int(m_run->outcomes().size())));
    });
    connect(m_run.get(), &ConversionRun::converting, this, [this](const QString &pdf) {
        ++m_filesStarted;
        m_progress.setText(progressCaption(m_filesStarted, m_filesInRun,
                                           nativepath::display(paths::getFileName(pdf)),
                                           timeLeft()));
    });
    connect(m_run.get(), &ConversionRun::finished, this, &BatchController::onRunFinished);
    m_pointer.set(PointerState::Busy);
    m_progress.setValue(0);
    m_filesInRun = m_rows.count();
    m_filesStarted = 0;
    m_filesDone = 0;
    m_runClock.start();
    emit runningChanged(true);
    // The rows as they are now: dragging, removing or adding rows later changes nothing.
    m_run->start(m_rows.texts(), choice, limits);
}

QString BatchController::progressCaption(int started, int total, const QString &fileName,
                                         qint64 secondsLeft)
{
    const QString caption = tr("%1 of %2: %3").arg(started).arg(total).arg(fileName);
    if (secondsLeft < 0)
        return caption;
    if (secondsLeft < 90)
        return tr("%1 (about %2 s left)").arg(caption).arg(std::max<qint64>(secondsLeft, 1));
    if (secondsLeft < 90 * 60)
        return tr("%1 (about %2 min left)").arg(caption).arg((secondsLeft + 30) / 60);
    return tr("%1 (about %2 h left)").arg(caption).arg((secondsLeft + 1800) / 3600);
}

qint64 BatchController::timeLeft() const
{
    // The files done so far set the pace; before the first one ends there is none.
    if (m_filesDone <= 0 || m_filesInRun <= m_filesDone)
        return -1;
    const double perFile = double(m_runClock.elapsed()) / 1000.0 / m_filesDone;
    return qint64(std::ceil(perFile * (m_filesInRun - m_filesDone)));
}

bool BatchController::refuseToStart(Procedure &proc, const OutputChoice &choice)
{
    if (m_rows.count() == 0) {
        proc.run(108, [&] { m_boxes.message(tr("No files added.")); });
        return true;
    }
    if (!files::isFolder(choice.folder) && choice.mode != OutputChoice::Mode::BesidePdf) {
        // The folder is named: a first start may show a folder the user never chose.
        const QString folder =
            choice.folder.isEmpty() ? tr("(no folder given)") : nativepath::display(choice.folder);
        proc.run(112, [&] {
            m_boxes.message(tr("Folder does not exist. Please select another folder.") +
                            QStringLiteral("\r\r") + folder);
        });
        return true;
    }
    if (choice.mode == OutputChoice::Mode::None) {
        // Without a choice there is no output path at all; no file is written.
        proc.run(116, [&] {
            m_boxes.message(tr(
                "Please choose where to save the text files: in a folder, or next to each PDF."));
        });
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

PasswordAnswer BatchController::askPassword(const QString &pdf)
{
    PasswordAnswer answer;
    // The box waits in its own event loop; the converters already started keep going.
    m_proc->run(136, [&] { answer = m_boxes.askPassword(pdf, true); });
    return answer;
}

void BatchController::askToStop()
{
    if (m_askingToStop || !m_run || m_run->wasStopped())
        return;
    m_askingToStop = true;
    const QPointer<BatchController> alive(this);
    const MessageAnswer answer =
        m_boxes.message(stopQuestion(), MessageButtons::YesNo, MessageIcon::Question);
    if (!alive)
        return;
    m_askingToStop = false;
    if (m_finishWaiting)
        finishRun(); // every file ended while the question was open
    else if (answer == MessageAnswer::Yes && m_run) {
        m_passwords->abandon(); // no password box after the stop
        m_run->stop();          // its finished() follows from the event loop
    }
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
    const QString text = finallist::message(m_run->outcomes());
    const bool leftText = runsummary::leftAnyText(m_run->outcomes());
    const QList<FileOutcome> outcomes = m_run->outcomes();
    m_run.reset(); // its converters are gone and its staging folders removed
    m_passwords->abandon();
    m_pointer.set(PointerState::Default);
    m_progress.setValue(0);
    m_progress.setText(idleCaption());
    runendnotice::tellIfAway(m_boxes, outcomes);
    const QPointer<BatchController> alive(this);
    if (leftText)
        m_proc->run(160, [&] { showFinalMessage(text, outcomes); });
    else
        m_proc->run(162, [&] { showFinalMessage(text, outcomes); });
    if (!alive)
        return;
    m_busy = false;
    emit runningChanged(false);
}

void BatchController::showFinalMessage(const QString &text, const QList<FileOutcome> &outcomes)
{
    const QPointer<BatchController> alive(this);
    // The box comes back after the list is saved or the folder opened, until OK closes it.
    for (;;) {
        const MessageAnswer answer =
            m_boxes.message(text, MessageButtons::OkSaveListOpenFolder, MessageIcon::NoIcon);
        if (!alive || m_closed)
            return;
        if (answer == MessageAnswer::SaveList)
            saveList(outcomes);
        else if (answer == MessageAnswer::OpenFolder)
            openOutputFolder(outcomes);
        else
            return;
    }
}

void BatchController::saveList(const QList<FileOutcome> &outcomes)
{
    const QString folder = outputFolderOf(outcomes);
    const QString path = m_boxes.services().saveFileName(
        m_boxes.owner(), tr("Save list"),
        QDir(folder).filePath(QStringLiteral("morwenda-list.csv")), tr("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    const QString failure = finallist::save(path, outcomes);
    if (!failure.isEmpty())
        m_boxes.message(tr("The list could not be saved as %1: %2").arg(path, failure),
                        MessageButtons::Ok, MessageIcon::Warning);
}

void BatchController::openOutputFolder(const QList<FileOutcome> &outcomes)
{
    const QString folder = outputFolderOf(outcomes);
    if (!m_boxes.services().openFolder(folder))
        m_boxes.message(tr("The folder %1 could not be opened.").arg(folder), MessageButtons::Ok,
                        MessageIcon::Warning);
}

QString BatchController::outputFolderOf(const QList<FileOutcome> &outcomes) const
{
    // Saved beside their PDFs, the texts of one run can lie in many folders: the first file's
    // stands for them.
    const OutputChoice choice = m_outputChoice();
    if (choice.mode == OutputChoice::Mode::Folder && !choice.folder.isEmpty())
        return QDir::cleanPath(choice.folder);
    for (const FileOutcome &file : outcomes)
        if (!file.output.isEmpty())
            return QFileInfo(file.output).absolutePath();
    return QDir::cleanPath(choice.folder);
}

void BatchController::abandon()
{
    m_closed = true;
    if (m_passwords)
        m_passwords->abandon();
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
