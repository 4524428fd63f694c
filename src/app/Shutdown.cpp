#include "Shutdown.h"

#include "convert/Converter.h"
#include "WindowContext.h"

void Form_Unload(WindowContext &ctx)
{
    Q_UNUSED(ctx);
    converter::RemoveAtShutdown();
}
