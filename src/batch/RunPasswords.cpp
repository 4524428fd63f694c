// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunPasswords.h"

#include <QEventLoop>
#include <QPointer>

RunPasswords::RunPasswords(ConverterKind &converter, const ConversionLimits &limits, Ask ask,
                           QObject *parent)
    : QObject(parent), m_check(converter, limits), m_ask(std::move(ask))
{
}

RunPasswords::~RunPasswords()
{
    if (m_waiting)
        m_waiting->quit();
}

void RunPasswords::abandon()
{
    m_abandoned = true;
    m_check.stop();
    if (m_waiting)
        m_waiting->quit();
}

bool RunPasswords::needsPassword(const QString &pdf)
{
    bool needed = true;
    bool answered = false;
    QEventLoop loop;
    connect(&m_check, &PasswordCheck::finished, &loop, [&](bool needs) {
        needed = needs;
        answered = true;
        loop.quit();
    });
    m_check.start(pdf);
    const QPointer<RunPasswords> alive(this);
    if (!answered) {
        m_waiting = &loop;
        loop.exec();
    }
    if (!alive)
        return false;
    m_waiting = nullptr;
    return needed && !m_abandoned;
}

QString RunPasswords::passwordFor(const QString &pdf)
{
    if (m_abandoned)
        return QString();
    const QPointer<RunPasswords> alive(this);
    if (!needsPassword(pdf) || !alive)
        return QString();
    if (m_forTheOthers)
        return *m_forTheOthers;
    const PasswordAnswer answer = m_ask(pdf); // a box, in its own event loop
    if (!alive)
        return QString();
    if (answer.forTheOthers)
        m_forTheOthers = answer.password;
    return answer.password;
}
