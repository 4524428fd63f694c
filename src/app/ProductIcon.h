#pragma once

#include <QIcon>

// The program's icon: a page with lines of text and a folded corner.
QIcon ProductIcon();
