#include "FileListHandlers.h"

#include "app/WindowContext.h"

void connectFileList(WindowContext &ctx)
{
    Q_UNUSED(ctx);
}
