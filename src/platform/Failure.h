// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <stdexcept>

// A run-time failure with the platform's own description of it ("Type mismatch", a file-system
// message, ...). Procedures that report failures catch it and show the error report.
class Failure : public std::runtime_error
{
public:
    explicit Failure(const QString &description)
        : std::runtime_error(description.toStdString()), m_description(description)
    {
    }
    const QString &description() const noexcept { return m_description; }

private:
    QString m_description;
};
