// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConverterChoice.h"

#include "ConverterDeployment.h"
#include "PdftotextConverter.h"
#include "platform/SettingKeys.h"
#include "platform/SettingsStore.h"
#include "ServiceConverter.h"

#include <QCoreApplication>
#include <QFile>

namespace converterchoice {

bool serviceBuilt()
{
#ifdef MORWENDA_CONVERTER_SERVICE
    return true;
#else
    return false;
#endif
}

QStringList names()
{
    return serviceBuilt() ? QStringList{Service, Pdftotext} : QStringList{Pdftotext};
}

QString defaultName()
{
    return serviceBuilt() ? Service : Pdftotext;
}

QString fromSettings(const SettingsStore &store)
{
    const QString stored = store.getSetting(settingkeys::Converter, QString()).trimmed();
    if (stored.compare(Pdftotext, Qt::CaseInsensitive) == 0)
        return Pdftotext;
    if (stored.compare(Service, Qt::CaseInsensitive) == 0 && serviceBuilt())
        return Service;
    return defaultName();
}

QString ownServiceProgram()
{
    if (!serviceBuilt())
        return QString();
    const QString program = QCoreApplication::applicationFilePath();
    if (!program.isEmpty())
        return program;
    // The program file was removed since the start (a package upgrade): Qt no longer names it.
    // The service is still this program, which now cannot start; pdftotext takes over, but
    // never for a file with a password.
    const QString gone = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    return gone.isEmpty() ? QStringLiteral("/proc/self/exe (removed)") : gone;
}

} // namespace converterchoice

std::unique_ptr<ConverterKind> makeConverterKind(const QString &name,
                                                 ConverterDeployment &deployment,
                                                 const QString &serviceProgram)
{
    const QString chosen = name.isEmpty() ? converterchoice::defaultName() : name;
    if (chosen != converterchoice::Service && chosen != converterchoice::Pdftotext)
        return nullptr;
    auto pdftotext = std::make_unique<PdftotextConverter>(
        [&deployment](QString &why) { return deployment.programWhenNeeded(why); });
    if (chosen == converterchoice::Pdftotext || serviceProgram.isEmpty() ||
        !converterchoice::serviceBuilt())
        return pdftotext;
    return std::make_unique<ServiceConverter>(serviceProgram, std::move(pdftotext));
}
