// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionConverters.h"

#include "ConverterChoice.h"
#include "ConverterKind.h"

SessionConverters::SessionConverters(ConverterDeployment &deployment, QString serviceProgram)
    : m_deployment(deployment), m_serviceProgram(std::move(serviceProgram))
{
}

SessionConverters::~SessionConverters() = default;

ConverterKind &SessionConverters::chosen(const SettingsStore &store)
{
    return named(converterchoice::fromSettings(store));
}

ConverterKind &SessionConverters::named(const QString &name)
{
    const bool pdftotext = name == converterchoice::Pdftotext ||
                           (name != converterchoice::Service &&
                            converterchoice::defaultName() == converterchoice::Pdftotext);
    std::unique_ptr<ConverterKind> &kind = pdftotext ? m_pdftotext : m_service;
    if (!kind)
        kind = makeConverterKind(pdftotext ? converterchoice::Pdftotext : converterchoice::Service,
                                 m_deployment, m_serviceProgram);
    return *kind;
}

void SessionConverters::endAll()
{
    m_service.reset();
    m_pdftotext.reset();
}
