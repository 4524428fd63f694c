// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <QObject>
#include <QString>

class SessionConverters;
class MessageBoxes;
class PasswordCheck;
class PointerState;
class PreviewConversion;
class Procedure;
class RowListModel;
class SettingsStore;

// The preview list: up to 100 lines of pages 1 to 100 of one PDF, as the converter sees it, or one
// row that says why there is no text. The preview's converter runs beside a batch run, never under
// it; a click on another file while a preview runs drops that one and previews the newer file.
class PreviewController final : public QObject
{
    Q_OBJECT

public:
    // The most lines the preview shows.
    static constexpr int LineLimit = 100;

    PreviewController(RowListModel &previewRows, PointerState &pointer, const MessageBoxes &boxes,
                      SessionConverters &converters, const SettingsStore &settings,
                      QObject *parent = nullptr);
    ~PreviewController() override;

    // The rows shown instead of text, for a file named `name` (its file name without the
    // extension).
    static QString protectedRow(const QString &name);
    static QString unreadableRow(const QString &name);
    // A file that fails for another reason (damaged, a limit, a converter that cannot run):
    // "The file NAME can not be read by this software" and the reason.
    static QString failedRow(const QString &name, const QString &reason);

    bool isRunning() const;

public slots:
    // Previews `pdf` (the selected row; "" when none is selected). With `askPassword` set, a file
    // that does not open without a password asks for one first. Returns at once; finished()
    // follows.
    void previewFile(const QString &pdf, bool askPassword);

    // The window is closing: the preview's converter is killed now.
    void abandon();

signals:
    // The preview list shows the file's lines or why there are none.
    void finished();

private:
    void dropCheck();
    void askAndConvert(const QString &pdf, bool needed);
    void convert(const QString &pdf, bool askedPassword, const QString &password);
    void showResult();

    RowListModel &m_previewRows;
    PointerState &m_pointer;
    const MessageBoxes &m_boxes;
    SessionConverters &m_converters;
    const SettingsStore &m_settings;
    std::unique_ptr<Procedure> m_proc;
    std::unique_ptr<PasswordCheck> m_check;
    std::unique_ptr<PreviewConversion> m_conversion;
    int m_request = 0; // counts the previews asked for; a newer one drops the older
    bool m_closed = false;
};
