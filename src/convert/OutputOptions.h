#pragma once

#include <QString>

class QWidget;
struct WindowContext;

// Joins the option controls to their handlers: each change is stored at once.
void connectOutputOptions(WindowContext &ctx);

// A click that selects Option1 or Option2: stores both states and enables Frame2 with Option1.
void Option_Click(WindowContext &ctx);
// The password check box changed: stores "1" or "0".
void Check1_Click(WindowContext &ctx);
// The output folder text changed: stores the whole text.
void Text1_Change(WindowContext &ctx);
// The "..." button: browse for the output folder.
void PushButton7_Click(WindowContext &ctx);

// The modal folder chooser: the owner, an instruction text and a preselected start folder. An
// empty result means cancelled.
QString BrowseForFolder(WindowContext &ctx, QWidget *owner, const QString &title,
                        const QString &startFolder);
