// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunEndNotice.h"

#include "engine/RunSummary.h"
#include "platform/widgets/MessageBoxes.h"

#include <algorithm>
#include <QCoreApplication>
#include <QWidget>

namespace runendnotice {

QString text(const QList<FileOutcome> &outcomes)
{
    // The files with a usable text in place, as the final message counts them.
    const auto converted =
        std::count_if(outcomes.begin(), outcomes.end(), [](const FileOutcome &file) {
            return leftText(file.outcome) && file.outcome != Outcome::NoUsableText;
        });
    const QString first = runsummary::leftAnyText(outcomes)
                              ? QCoreApplication::translate("RunSummary", "Done.")
                              : QCoreApplication::translate("RunSummary", "File(s) has no data.");
    return first + QStringLiteral("\r\n") +
           QCoreApplication::translate("RunEndNotice", "%1 of %2 files converted.")
               .arg(converted)
               .arg(outcomes.size());
}

void tellIfAway(const MessageBoxes &boxes, const QList<FileOutcome> &outcomes)
{
    QWidget *owner = boxes.owner();
    if (owner && owner->window()->isActiveWindow())
        return;
    boxes.services().notify(owner, boxes.title(), text(outcomes));
}

} // namespace runendnotice
