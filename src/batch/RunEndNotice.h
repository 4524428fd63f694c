// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Outcome.h"

#include <QList>
#include <QString>

class MessageBoxes;

// A run that ends while its window is in the background says so at once: a desktop notification
// and the window marked as wanting attention. Nothing while the window is active: the final box
// is said there.
namespace runendnotice {

// "Done." (or "File(s) has no data."), then "3 of 5 files converted." (with a usable text).
QString text(const QList<FileOutcome> &outcomes);

// Notifies through the window's services when its window is not the active one.
void tellIfAway(const MessageBoxes &boxes, const QList<FileOutcome> &outcomes);

} // namespace runendnotice
