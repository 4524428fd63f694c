#include "ConverterKinds.h"

#include "convert/ConverterDeployment.h"
#include "convert/PdftotextConverter.h"

namespace converterkinds {

QStringList names()
{
    return {QStringLiteral("pdftotext")};
}

std::unique_ptr<ConverterKind> makeConverterKind(const QString &name,
                                                 const ConverterDeployment &deployment)
{
    if (name == QStringLiteral("pdftotext"))
        return std::make_unique<PdftotextConverter>(deployment.program());
    return nullptr;
}

} // namespace converterkinds
