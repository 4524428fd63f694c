#pragma once

struct WindowContext;

// Joins the file list and its buttons to their handlers.
void connectFileList(WindowContext &ctx);
