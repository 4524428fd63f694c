// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleFilesController.h"

#include "engine/FilePattern.h"
#include "engine/FolderWalk.h"
#include "platform/FileSystem.h"
#include "platform/widgets/MessageBoxes.h"
#include "platform/PathRules.h"
#include "platform/RowListModel.h"
#include "SampleFolder.h"

SampleFilesController::SampleFilesController(RowListModel &rows, const MessageBoxes &boxes,
                                             QString installFolder, QObject *parent)
    : QObject(parent), m_rows(rows), m_boxes(boxes), m_installFolder(std::move(installFolder))
{
}

QString SampleFilesController::openFolderQuestion()
{
    return tr("Would you like this software to open the folder where these sample files are "
              "stored (so that you can view them before working with them)?");
}

void SampleFilesController::loadSampleFiles()
{
    Procedure proc(m_boxes.reporter(), tags::Samples);
    const QString folder = sampleFolder(m_installFolder);
    // A failure ends the click: the rows appended before it stay and no question is asked.
    proc.run(100, [&] {
        // The samples are the PDFs of the folder. A conversion that saves beside its input leaves
        // text files there too; those are results, not samples to convert again.
        const QStringList names = FolderWalk::listFiles(folder, FilePattern("*.pdf"));
        for (const QString &name : names) {
            const QString path = folder + paths::separator() + name;
            if (files::fileExists(path) && !m_rows.contains(path))
                m_rows.append(path);
        }
        if (m_boxes.message(openFolderQuestion(), MessageButtons::YesNo) == MessageAnswer::Yes)
            m_boxes.services().openFolder(folder + paths::separator());
    });
}
