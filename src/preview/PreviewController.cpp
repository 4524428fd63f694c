// SPDX-License-Identifier: GPL-3.0-or-later
#include "PreviewController.h"

#include "engine/ConversionLimits.h"
#include "engine/PasswordCheck.h"
#include "engine/PreviewConversion.h"
#include "engine/SessionConverters.h"
#include "platform/NativePath.h"
#include "platform/PathRules.h"
#include "platform/RowListModel.h"
#include "platform/widgets/MessageBoxes.h"
#include "platform/widgets/PointerState.h"

#include <QPointer>

namespace {

// The PDF's file name without its last extension; a name without a dot stays whole.
QString shownName(const QString &pdf)
{
    const QString fileName = nativepath::display(paths::getFileName(pdf));
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? fileName : fileName.left(dot);
}

} // namespace

PreviewController::PreviewController(RowListModel &previewRows, PointerState &pointer,
                                     const MessageBoxes &boxes, SessionConverters &converters,
                                     const SettingsStore &settings, QObject *parent)
    : QObject(parent), m_previewRows(previewRows), m_pointer(pointer), m_boxes(boxes),
      m_converters(converters), m_settings(settings)
{
}

PreviewController::~PreviewController() = default;

QString PreviewController::protectedRow(const QString &name)
{
    return tr("The file %1 can not be read by this software - password protected.").arg(name);
}

QString PreviewController::unreadableRow(const QString &name)
{
    return tr("The file %1 can not be read by this software - text unreadable. Please view the "
              "file yourself to see if it is really a scanned image of text and not proper PDF "
              "text.")
        .arg(name);
}

QString PreviewController::failedRow(const QString &name, const QString &reason)
{
    // The engine's reasons come as a list item ("  - why"); the row has one blank before its dash.
    QString why = reason;
    while (why.startsWith(u' ') || why.startsWith(u'-'))
        why.remove(0, 1);
    return tr("The file %1 can not be read by this software - %2").arg(name, why);
}

bool PreviewController::isRunning() const
{
    return m_check || (m_conversion && m_conversion->isRunning());
}

void PreviewController::dropCheck()
{
    if (!m_check)
        return;
    m_check->disconnect(this);
    // It may be inside its own signal (a click during the password box): it goes later.
    m_check.release()->deleteLater();
}

void PreviewController::previewFile(const QString &pdf, bool askPassword)
{
    if (pdf.isEmpty() || m_closed)
        return;
    // The newer click wins: a preview still converting is dropped without showing anything.
    m_conversion.reset();
    dropCheck();
    ++m_request;
    m_proc = std::make_unique<Procedure>(m_boxes.reporter(), tags::Preview);
    m_pointer.set(PointerState::Busy);
    m_previewRows.clear();
    if (!askPassword) {
        convert(pdf, false, QString());
        return;
    }
    // Only a file that does not open without a password gets the box.
    m_check = std::make_unique<PasswordCheck>(m_converters.chosen(m_settings),
                                              ConversionLimits::fromSettings(m_settings));
    connect(m_check.get(), &PasswordCheck::finished, this,
            [this, pdf](bool needed) { askAndConvert(pdf, needed); });
    m_check->start(pdf);
}

void PreviewController::askAndConvert(const QString &pdf, bool needed)
{
    dropCheck();
    QString password;
    if (needed) {
        const QPointer<PreviewController> alive(this);
        const int request = m_request;
        m_proc->run(114, [&] { password = m_boxes.askPassword(pdf).password; });
        if (!alive || m_closed || request != m_request)
            return; // closed, or a newer click previews another file
    }
    convert(pdf, true, password);
}

void PreviewController::convert(const QString &pdf, bool askedPassword, const QString &password)
{
    const int statement = !askedPassword ? 122 : password.isEmpty() ? 120 : 118;
    // The converter writes into a private folder, never beside the PDF, so a text file of the
    // same name there is left alone.
    m_conversion = std::make_unique<PreviewConversion>(m_converters.chosen(m_settings));
    connect(m_conversion.get(), &PreviewConversion::finished, this, &PreviewController::showResult);
    m_proc->run(statement, [&] {
        m_conversion->start(pdf, password, ConversionLimits::fromSettings(m_settings));
    });
}

void PreviewController::showResult()
{
    const QString name = shownName(m_conversion->pdf());
    switch (m_conversion->outcome()) {
    case Outcome::Converted:
    case Outcome::LowConfidence:
    case Outcome::OcrDoubtful:
        for (const QString &line : m_conversion->lines())
            m_previewRows.append(line);
        if (!m_conversion->readError().isEmpty())
            m_previewRows.append(failedRow(name, m_conversion->readError()));
        break;
    case Outcome::NoUsableText:
        m_previewRows.append(unreadableRow(name));
        break;
    case Outcome::WrongPassword:
    case Outcome::Protected:
        m_previewRows.append(protectedRow(name));
        break;
    case Outcome::Stopped:
        break; // the window is closing
    default:
        m_previewRows.append(failedRow(name, m_conversion->reason()));
        break;
    }
    m_pointer.set(PointerState::Default);
    emit finished();
}

void PreviewController::abandon()
{
    m_closed = true;
    dropCheck();
    m_conversion.reset(); // kills its converter; its scratch folder goes with it
}
