// SPDX-License-Identifier: GPL-3.0-or-later
#include "WindowLayout.h"

#include <cstring>
#include <QCoreApplication>
#include <QList>
#include <stdexcept>

namespace windowlayout {

namespace {

// Shares of the window's extra size: the file list takes 3/5 of the extra height, the preview 2/5.
constexpr Stretch Wide{0, 0, 1, 0};
constexpr float FileListShare = 0.6F;
constexpr Stretch BelowFileList{0, FileListShare, 1, 0};
constexpr Stretch LeftHalfBelowFileList{0, FileListShare, 0.5F, 0};
constexpr Stretch RightHalfBelowFileList{0.5F, FileListShare, 0.5F, 0};
constexpr Stretch AtTheBottom{0, 1, 1, 0};
constexpr Stretch AtTheRight{1, 0, 0, 0};

// Every control of the window, in the order they are made (which is also the Tab order within
// each frame).
const QList<ControlLayout> Table = {
    {"PushButton5",
     nullptr,
     {120, 120, 7800, 405},
     QT_TRANSLATE_NOOP("WindowLayout", "&Help"),
     {},
     Wide,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Shows what this program does and does not do (F1).")},
    {"ListView1",
     nullptr,
     {120, 630, 7800, 2535},
     {},
     QT_TRANSLATE_NOOP("WindowLayout",
                       "Drag and drop files here. Double-click item to remove it. Move | line to "
                       "right and out of window to reveal full names."),
     {0, 0, 1, FileListShare},
     QT_TRANSLATE_NOOP("WindowLayout", "PDF files to convert"),
     QT_TRANSLATE_NOOP("WindowLayout",
                       "The PDF files to convert, in order. Arrow keys preview the current file; "
                       "the Delete key removes it.")},
    {"PushButton1",
     nullptr,
     {120, 3250, 3840, 405},
     QT_TRANSLATE_NOOP("WindowLayout", "&Add PDF File(s)"),
     {},
     LeftHalfBelowFileList,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Chooses PDF files to add to the list (Ctrl+O).")},
    {"PushButton4",
     nullptr,
     {4080, 3250, 3840, 405},
     QT_TRANSLATE_NOOP("WindowLayout", "Add All PDF File(s) In &Folder"),
     {},
     RightHalfBelowFileList,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Adds every PDF file of a folder and its subfolders.")},
    {"PushButton3",
     nullptr,
     {120, 3760, 3840, 405},
     QT_TRANSLATE_NOOP("WindowLayout", "&Clear List"),
     {},
     LeftHalfBelowFileList,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Removes every file from the list.")},
    {"PushButton6",
     nullptr,
     {4080, 3760, 3840, 405},
     QT_TRANSLATE_NOOP("WindowLayout", "&Load Sample/Example Files"),
     {},
     RightHalfBelowFileList,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Adds the sample PDF files that come with the program.")},
    {"Frame3",
     nullptr,
     {120, 4230, 7800, 735},
     QT_TRANSLATE_NOOP("WindowLayout", "Password Option"),
     {},
     BelowFileList,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Whether to ask for the password of each file.")},
    {"Check1",
     "Frame3",
     {240, 300, 6015, 255},
     QT_TRANSLATE_NOOP("WindowLayout",
                       "&Prompt for password because PDF files are password protected"),
     {},
     Wide,
     {},
     QT_TRANSLATE_NOOP("WindowLayout",
                       "When ticked, a password is asked for each file before it is converted or "
                       "previewed.")},
    {"ListView3",
     nullptr,
     {120, 5070, 7800, 1545},
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Preview"),
     {0, FileListShare, 1, 1 - FileListShare},
     QT_TRANSLATE_NOOP("WindowLayout", "PDF preview"),
     QT_TRANSLATE_NOOP("WindowLayout",
                       "The first lines of text of the current file, as this program reads them.")},
    {"Frame1",
     nullptr,
     {120, 6645, 7800, 1815},
     QT_TRANSLATE_NOOP("WindowLayout", "Save Option"),
     {},
     AtTheBottom,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Where the text files are saved.")},
    {"Option1",
     "Frame1",
     {240, 300, 3615, 255},
     QT_TRANSLATE_NOOP("WindowLayout", "Save results to &this folder:"),
     {},
     Wide,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Saves every text file in the folder named below.")},
    {"Frame2",
     "Frame1",
     {480, 510, 6840, 810},
     {},
     {},
     Wide,
     QT_TRANSLATE_NOOP("WindowLayout", "Output folder"),
     QT_TRANSLATE_NOOP("WindowLayout", "The folder for the text files.")},
    {"Text1",
     "Frame2",
     {240, 300, 5670, 345},
     {},
     {},
     Wide,
     QT_TRANSLATE_NOOP("WindowLayout", "Output folder path"),
     QT_TRANSLATE_NOOP("WindowLayout",
                       "The folder the text files are saved in; type it or choose it with the "
                       "button beside.")},
    {"PushButton7",
     "Frame2",
     {6000, 300, 600, 345},
     QT_TRANSLATE_NOOP("WindowLayout", "..."),
     {},
     {1, 0, 0, 0},
     QT_TRANSLATE_NOOP("WindowLayout", "Choose output folder"),
     QT_TRANSLATE_NOOP("WindowLayout", "Chooses the folder for the text files.")},
    {"Option2",
     "Frame1",
     {240, 1410, 3615, 255},
     QT_TRANSLATE_NOOP("WindowLayout", "Save results in folder of &original file"),
     {},
     Wide,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Saves each text file beside its PDF file.")},
    {"PushButton2",
     nullptr,
     {120, 8580, 7800, 405},
     QT_TRANSLATE_NOOP("WindowLayout", "&Start Converting To Text"),
     {},
     AtTheBottom,
     {},
     QT_TRANSLATE_NOOP("WindowLayout",
                       "Converts every listed file to text; during a run, asks whether to stop.")},
    {"ProgressBar1",
     nullptr,
     {120, 9100, 7800, 405},
     QT_TRANSLATE_NOOP("WindowLayout", "Progress Bar"),
     {},
     AtTheBottom,
     QT_TRANSLATE_NOOP("WindowLayout", "Progress"),
     QT_TRANSLATE_NOOP("WindowLayout", "How far the conversion is, and the file being converted.")},
    {"Frame4",
     nullptr,
     {120, 9600, 7800, 795},
     QT_TRANSLATE_NOOP("WindowLayout", "OCR Option"),
     {},
     AtTheBottom,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "Whether scanned pages are read by OCR, and in which "
                                       "language.")},
    {"Check2",
     "Frame4",
     {240, 345, 3855, 255},
     QT_TRANSLATE_NOOP("WindowLayout", "Read scanned pages by OC&R"),
     QT_TRANSLATE_NOOP("WindowLayout",
                       "Pages without usable text are read by tesseract (slower: seconds a "
                       "page)."),
     Wide,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "When ticked, pages without usable text are read by OCR.")},
    // The language box's label names it for screen readers (its buddy).
    {"Label1",
     "Frame4",
     {4200, 300, 1200, 345},
     QT_TRANSLATE_NOOP("WindowLayout", "La&nguage:"),
     {},
     AtTheRight,
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "The language OCR reads the scanned pages in.")},
    {"Combo1",
     "Frame4",
     {5460, 300, 2100, 345},
     {},
     QT_TRANSLATE_NOOP("WindowLayout", "The language of the scanned pages"),
     AtTheRight,
     QT_TRANSLATE_NOOP("WindowLayout", "OCR language"),
     QT_TRANSLATE_NOOP("WindowLayout", "The language OCR reads the scanned pages in.")},
};

} // namespace

const QList<ControlLayout> &controls()
{
    return Table;
}

const ControlLayout &control(const char *objectName)
{
    for (const ControlLayout &row : controls()) {
        if (std::strcmp(row.objectName, objectName) == 0)
            return row;
    }
    throw std::out_of_range(objectName);
}

QString translated(const LayoutText &text)
{
    if (text.utf16)
        return QString::fromUtf16(text.utf16);
    if (!text.utf8 || !*text.utf8)
        return QString();
    return QCoreApplication::translate("WindowLayout", text.utf8);
}

} // namespace windowlayout
