#include "PreviewHandlers.h"

#include "app/WindowContext.h"
#include "Preview.h"

#include <QTreeView>

void connectPreview(WindowContext &ctx)
{
    QObject::connect(ctx.ListView1, &QAbstractItemView::clicked, ctx.Form1,
                     [&ctx] { ListView1_Click(ctx); });
}
