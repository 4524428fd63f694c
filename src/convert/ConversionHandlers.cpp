#include "ConversionHandlers.h"

#include "app/WindowContext.h"
#include "BatchRun.h"

#include <QPushButton>

void connectConversion(WindowContext &ctx)
{
    QObject::connect(ctx.PushButton2, &QPushButton::clicked, ctx.Form1,
                     [&ctx] { PushButton2_Click(ctx); });
}
