// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <QString>

class ConverterDeployment;
class ConverterKind;
class SettingsStore;

// The converters of one session, each made when it is first chosen and kept to the end, so the
// services started for the first run serve every later run and preview. The choice itself is
// read from the settings at the start of each run.
class SessionConverters
{
public:
    // `serviceProgram`: see makeConverterKind(); converterchoice::ownServiceProgram() for the
    // window and morwenda-batch.
    SessionConverters(ConverterDeployment &deployment, QString serviceProgram);
    ~SessionConverters();
    SessionConverters(const SessionConverters &) = delete;
    SessionConverters &operator=(const SessionConverters &) = delete;

    // The converter the store names now.
    ConverterKind &chosen(const SettingsStore &store);
    // The converter of that name (converterchoice::Service or Pdftotext; another name is the
    // default).
    ConverterKind &named(const QString &name);

    // Ends the session's converters (the services and their children) once no job uses them; a
    // later choice starts afresh.
    void endAll();

private:
    ConverterDeployment &m_deployment;
    QString m_serviceProgram;
    std::unique_ptr<ConverterKind> m_service;
    std::unique_ptr<ConverterKind> m_pdftotext;
};
