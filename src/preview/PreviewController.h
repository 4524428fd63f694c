#pragma once

#include <QObject>
#include <QString>

class MessageBoxes;
class PointerState;
class ProgressTarget;
class RowListModel;

// The preview list: up to 100 lines of pages 1 to 100 of one PDF, as the converter sees it, or one
// row that says why there is no text.
class PreviewController final : public QObject
{
    Q_OBJECT

public:
    // The most lines the preview shows.
    static constexpr int LineLimit = 100;

    PreviewController(RowListModel &previewRows, PointerState &pointer, ProgressTarget &progress,
                      const MessageBoxes &boxes, QObject *parent = nullptr);

    // The rows shown instead of text, for a file named `name` (its file name without the
    // extension).
    static QString protectedRow(const QString &name);
    static QString unreadableRow(const QString &name);

public slots:
    // Previews `pdf` (the selected row; "" when none is selected), asking for its password first
    // when `askPassword` is set.
    void previewFile(const QString &pdf, bool askPassword);

private:
    void showLines(class Procedure &proc, const QString &text);

    RowListModel &m_previewRows;
    PointerState &m_pointer;
    ProgressTarget &m_progress;
    const MessageBoxes &m_boxes;
};
