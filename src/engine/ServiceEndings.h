// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionJob.h"
#include "ConversionLimits.h"
#include "Outcome.h"
#include "service/ServiceProtocol.h"

#include <QString>

// What a file that the converter service did not convert ends as, and the reason said for it:
// the service's answer turned into the run's outcomes, as pdftotext's exit statuses are.
namespace serviceendings {

struct Ending
{
    Outcome outcome;
    QString reason;
};

// What the job knows beside the answer.
struct Facts
{
    const JobOrder &order;
    const ConversionLimits &limits;
    const QString &errorOutput; // what the child wrote on its error output
    const QString &lostReason;  // why the service went away, where it did
};

Ending endingOf(const serviceprotocol::Outcome &outcome, const Facts &facts);

} // namespace serviceendings
