#pragma once

#include "OutputChoice.h"

#include <functional>
#include <QObject>
#include <QString>

class CaptionProgressBar;
class MessageBoxes;
class PointerState;
class Procedure;
class RowListModel;
class StagingArea;

// "Start Converting To Text": converts every listed file, top to bottom, and ends with one message
// naming the files that gave no usable text and why.
class BatchController final : public QObject
{
    Q_OBJECT

public:
    // `outputChoice` gives the options as they are at the moment it is called.
    BatchController(RowListModel &rows, PointerState &pointer, CaptionProgressBar &progress,
                    const MessageBoxes &boxes, std::function<OutputChoice()> outputChoice,
                    QObject *parent = nullptr);

    // A run is in progress; a second click is ignored meanwhile.
    bool isRunning() const { return m_running; }

public slots:
    void startConversion();

private:
    // What one file gave: whether the converter wrote its text file, and its line in the final
    // message ("" when its text is usable).
    struct FileOutcome
    {
        bool produced = false;
        QString failure;
    };

    // The reasons not to start: an empty list, a missing output folder, no choice at all. Shows
    // the matching message and returns true when the run must not start.
    bool refuseToStart(Procedure &proc);
    FileOutcome convertFile(Procedure &proc, int position, StagingArea &staging);
    void finishRun(Procedure &proc, QString failures, bool gotData);

    RowListModel &m_rows;
    PointerState &m_pointer;
    CaptionProgressBar &m_progress;
    const MessageBoxes &m_boxes;
    std::function<OutputChoice()> m_outputChoice;
    bool m_running = false;
};
