#pragma once

#include <memory>
#include <QString>
#include <QStringList>

class ConverterDeployment;
class ConverterKind;

// The one place a converter kind is made from its name.
namespace converterkinds {

// The names that makeConverterKind() knows, the default first.
QStringList names();

// The converter called `name`, or nullptr for a name it does not know. "pdftotext" runs the
// deployment's program.
std::unique_ptr<ConverterKind> makeConverterKind(const QString &name,
                                                 const ConverterDeployment &deployment);

} // namespace converterkinds
