// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConversionJob.h"
#include "ConversionLimits.h"
#include "service/ServiceProtocol.h"

namespace servicerequest {

// The request the converter service is sent for a job: its pages, text options and limits, the
// password offered as the owner's, then as the user's.
serviceprotocol::ConvertRequest of(const JobOrder &order, const ConversionLimits &limits);

} // namespace servicerequest
