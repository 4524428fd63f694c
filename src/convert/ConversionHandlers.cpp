#include "ConversionHandlers.h"

#include "app/WindowContext.h"

void connectConversion(WindowContext &ctx)
{
    Q_UNUSED(ctx);
}
