// SPDX-License-Identifier: GPL-3.0-or-later
#include "Shutdown.h"

#include "engine/ConverterDeployment.h"
#include "platform/ChildProcess.h"
#include "platform/StopSignals.h"
#include "platform/TemporaryFolder.h"

#include <QWidget>

void shutDown(ConverterDeployment &deployment)
{
    ChildProcess::endAll(); // any converter still running, whoever started it
    deployment.remove();
    // A run or preview cut short leaves its private folders behind; the text being written there
    // is lost with them, and the file it would have replaced stays as it was.
    TemporaryFolder::removeAll();
}

void closeOnStopSignals(QWidget &window)
{
    auto *stopSignals = new StopSignals(&window);
    QObject::connect(stopSignals, &StopSignals::stopRequested, &window, &QWidget::close,
                     Qt::QueuedConnection);
}
