#pragma once

#include <QObject>

struct WindowContext;

// Passes the file list's keys and its viewport's mouse events to the list's handlers. While a row
// is dragged the moves are kept from the view, so that its own drag-selection and auto-scroll do
// not fight the exchange of rows.
class FileListEvents final : public QObject
{
    Q_OBJECT

public:
    explicit FileListEvents(WindowContext &ctx);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool viewportEvent(QEvent *event);

    WindowContext &m_ctx;
    bool m_doubleClicked = false;
};
