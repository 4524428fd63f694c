// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <QString>
#include <QStringList>

class ConverterDeployment;
class ConverterKind;
class SettingsStore;

// Which converter converts: the converter service where this build has one, else pdftotext; the
// setting "Converter" and morwenda-batch's option choose pdftotext explicitly.
namespace converterchoice {

inline const QString Service = QStringLiteral("service");
inline const QString Pdftotext = QStringLiteral("pdftotext");

// Whether this build carries the converter service (it was built with poppler's library).
bool serviceBuilt();

// The names of the converters this build has, the default first.
QStringList names();

// The name of the default converter: Service where it is built, else Pdftotext.
QString defaultName();

// The converter named by the store, read at the start of each run: "pdftotext" or "service"
// (either spelling case), anything else or nothing is the default.
QString fromSettings(const SettingsStore &store);

// The program that serves with `--converter-service` when this program is the service too: the
// running executable; "" when the build has no service.
QString ownServiceProgram();

} // namespace converterchoice

// A converter of the named kind, Service or Pdftotext ("" is the default); nullptr for another
// name. pdftotext is put in place by `deployment` only when a job first needs it, so with the
// service in use nothing is deployed. The service is `serviceProgram --converter-service` (""
// or a build without the service: pdftotext), and pdftotext takes over when it cannot start.
std::unique_ptr<ConverterKind> makeConverterKind(const QString &name,
                                                 ConverterDeployment &deployment,
                                                 const QString &serviceProgram);
