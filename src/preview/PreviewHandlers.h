#pragma once

struct WindowContext;

// Joins a click on the file list to the preview.
void connectPreview(WindowContext &ctx);
