// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLocale;

// Installs the program's translation for the locale's languages (German, or English, which needs
// none) and Qt's own for its dialogs' buttons where the system has it. Returns false when the
// program has no translation for the locale. Needs the application object.
bool installTranslations(const QLocale &locale);

// Takes every translation installTranslations installed away again.
void removeTranslations();
