// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class MessageBoxes;
class RowListModel;

// "Load Sample/Example Files": appends the sample PDFs that are not listed yet, then offers to
// open their folder in the file manager, after every click.
class SampleFilesController final : public QObject
{
    Q_OBJECT

public:
    // `installFolder` is the executable's folder; the samples are found from there.
    SampleFilesController(RowListModel &rows, const MessageBoxes &boxes, QString installFolder,
                          QObject *parent = nullptr);

    static QString openFolderQuestion();

public slots:
    void loadSampleFiles();

private:
    RowListModel &m_rows;
    const MessageBoxes &m_boxes;
    QString m_installFolder;
};
