// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The progress display that a wait moves: a caption text and a value from 0 to 100.
class ProgressTarget
{
public:
    ProgressTarget() = default;
    virtual ~ProgressTarget() = default;
    ProgressTarget(const ProgressTarget &) = delete;
    ProgressTarget &operator=(const ProgressTarget &) = delete;

    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual int value() const = 0;
    // Values outside 0 to 100 are held at the nearest end.
    virtual void setValue(int value) = 0;
};
