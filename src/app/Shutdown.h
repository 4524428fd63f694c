#pragma once

struct WindowContext;

// The window is closing: the deployed converter is removed. The caller then ends the process.
void Form_Unload(WindowContext &ctx);
