// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QString>

// How a control follows its parent when the parent is larger (or smaller) than its default size:
// the shares of the parent's extra width and height added to the control's place and size. The
// window's extra height goes to the two lists; every control below a list moves down with it.
struct Stretch
{
    float x = 0;
    float y = 0;
    float width = 0;
    float height = 0;
};

// A text of the table: UTF-8 inside QT_TRANSLATE_NOOP("WindowLayout", ...), which the translation
// tools find; a UTF-16 literal is taken as it is and never translated.
struct LayoutText
{
    constexpr LayoutText(const char *utf8) : utf8(utf8) {}
    constexpr LayoutText(const char16_t *utf16) : utf16(utf16) {}
    constexpr LayoutText() = default;

    const char *utf8 = nullptr;
    const char16_t *utf16 = nullptr;
};

// One control of the window as the layout table gives it. The object names are the controls'
// names that users, their settings and the error reports know; the rectangle is in twips
// (1/1440 inch) within the parent control, at the window's default size. Caption, tooltip and the
// accessible texts are English source texts, translated in the context "WindowLayout"; a caption
// carries its mnemonic ("&Help"). A row without an accessible name is named by its caption.
struct ControlLayout
{
    const char *objectName;
    const char *parentName; // nullptr: the window itself
    QRect twips;
    LayoutText caption;
    LayoutText tooltip;
    Stretch stretch = {};
    LayoutText accessibleName = {};
    LayoutText accessibleDescription = {};
};

namespace windowlayout {

// The client area of the window at its default size, in twips.
inline constexpr int ClientWidth = 8040;
inline constexpr int ClientHeight = 10515;
// The least height of a list that takes the window's extra height, in twips.
inline constexpr int ListMinimumHeight = 600;

// Pixels for a length in twips at a screen's logical resolution (dots per inch).
inline int pixels(int twips, qreal dpi)
{
    return qRound(twips * dpi / 1440.0);
}

// Every control, in the order the window creates them (which is also the tab order).
const QList<ControlLayout> &controls();

// The row of one control. Throws std::out_of_range for a name the table does not hold.
const ControlLayout &control(const char *objectName);

// A text of the table in the user's language (the English source when there is no translation).
QString translated(const LayoutText &text);

} // namespace windowlayout
