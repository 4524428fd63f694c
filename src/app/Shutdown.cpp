#include "Shutdown.h"

#include "WindowContext.h"

void Form_Unload(WindowContext &ctx)
{
    Q_UNUSED(ctx);
}
