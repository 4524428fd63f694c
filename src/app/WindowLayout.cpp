// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowLayout.h"

#include <cstring>
#include <QList>
#include <stdexcept>

namespace windowlayout {

const QList<ControlLayout> &controls()
{
    static const QList<ControlLayout> table = {
        {"PushButton5", nullptr, {120, 120, 7800, 405}, u"Help", u""},
        {"ListView1",
         nullptr,
         {120, 630, 7800, 2535},
         u"",
         u"Drag and drop files here. Double-click item to remove it. Move | line to right and out "
         u"of window to reveal full names."},
        {"PushButton1", nullptr, {120, 3250, 3840, 405}, u"Add PDF File(s)", u""},
        {"PushButton4", nullptr, {4080, 3250, 3840, 405}, u"Add All PDF File(s) In Folder", u""},
        {"PushButton3", nullptr, {120, 3760, 3840, 405}, u"Clear List", u""},
        {"PushButton6", nullptr, {4080, 3760, 3840, 405}, u"Load Sample/Example Files", u""},
        {"Frame3", nullptr, {120, 4230, 7800, 735}, u"Password Option", u""},
        {"Check1",
         "Frame3",
         {240, 300, 6015, 255},
         u"Prompt for password because PDF files are password protected",
         u""},
        {"ListView3", nullptr, {120, 5070, 7800, 1545}, u"", u"Preview"},
        {"Frame1", nullptr, {120, 6645, 7800, 1815}, u"Save Option", u""},
        {"Option1", "Frame1", {240, 300, 3615, 255}, u"Save results to this folder:", u""},
        {"Frame2", "Frame1", {480, 510, 6840, 810}, u"", u""},
        {"Text1", "Frame2", {240, 300, 5670, 345}, u"", u""},
        {"PushButton7", "Frame2", {6000, 300, 600, 345}, u"...", u""},
        {"Option2",
         "Frame1",
         {240, 1410, 3615, 255},
         u"Save results in folder of original file",
         u""},
        {"PushButton2", nullptr, {120, 8580, 7800, 405}, u"Start Converting To Text", u""},
        {"ProgressBar1", nullptr, {120, 9100, 7800, 405}, u"Progress Bar", u""},
        {"Frame4", nullptr, {120, 9600, 7800, 615}, u"OCR Option", u""},
        {"Check2",
         "Frame4",
         {240, 270, 4455, 255},
         u"Read scanned pages by OCR in the language",
         u"Pages without usable text are read by tesseract (slower: seconds a page)."},
        {"Combo1", "Frame4", {4800, 210, 2760, 315}, u"", u"The language of the scanned pages"},
    };
    return table;
}

const ControlLayout &control(const char *objectName)
{
    for (const ControlLayout &row : controls()) {
        if (std::strcmp(row.objectName, objectName) == 0)
            return row;
    }
    throw std::out_of_range(objectName);
}

} // namespace windowlayout
