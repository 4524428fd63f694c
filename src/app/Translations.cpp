// SPDX-License-Identifier: GPL-3.0-or-later
#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>
#include <vector>

namespace {

std::vector<std::unique_ptr<QTranslator>> &installed()
{
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

bool install(const QLocale &locale, const QString &name, const QString &folder)
{
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(locale, name, QStringLiteral("_"), folder))
        return false;
    QCoreApplication::installTranslator(translator.get());
    installed().push_back(std::move(translator));
    return true;
}

} // namespace

bool installTranslations(const QLocale &locale)
{
    removeTranslations();
    // The program's texts are English in its source: English needs no translation.
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return true;
    if (!install(locale, QStringLiteral("morwenda"), QStringLiteral(":/i18n")))
        return false;
    install(locale, QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    return true;
}

void removeTranslations()
{
    for (const auto &translator : installed())
        QCoreApplication::removeTranslator(translator.get());
    installed().clear();
}
