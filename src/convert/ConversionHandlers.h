#pragma once

struct WindowContext;

// Joins the conversion controls ("Start Converting To Text") to their handlers.
void connectConversion(WindowContext &ctx);
