#include "PreviewHandlers.h"

#include "app/WindowContext.h"

void connectPreview(WindowContext &ctx)
{
    Q_UNUSED(ctx);
}
