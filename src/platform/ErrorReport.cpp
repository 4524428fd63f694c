// SPDX-License-Identifier: GPL-3.0-or-later
#include "ErrorReport.h"

#include "Failure.h"

#include <QCoreApplication>

namespace errorreport {

QString message(const QString &tag, int line, const QString &description)
{
    return description + QStringLiteral("\r\n") + tag +
           QCoreApplication::translate("ErrorReport", "at line ") + QString::number(line) +
           QStringLiteral("\r\r") +
           QCoreApplication::translate("ErrorReport",
                                       "Please email screenshot of this message to ") +
           QString::fromUtf16(SupportAddress);
}

QString describe(const std::exception_ptr &failure)
{
    try {
        std::rethrow_exception(failure);
    } catch (const Failure &f) {
        return f.description();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Application-defined or object-defined error");
    }
}

} // namespace errorreport

void Procedure::reportCurrent()
{
    const QString description = errorreport::describe(std::current_exception());
    if (m_report)
        m_report(m_tag, m_line, description);
}
