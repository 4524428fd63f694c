// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

class ConversionJob;
struct ConversionLimits;
struct JobOrder;

// A kind of converter: how one file is converted. The run and the preview only see jobs.
class ConverterKind
{
public:
    ConverterKind() = default;
    virtual ~ConverterKind() = default;
    ConverterKind(const ConverterKind &) = delete;
    ConverterKind &operator=(const ConverterKind &) = delete;

    // A job for one file under the limits; not started yet.
    virtual std::unique_ptr<ConversionJob> makeJob(const JobOrder &order,
                                                   const ConversionLimits &limits) = 0;
};
