#include "FileListEvents.h"

#include "app/WindowContext.h"
#include "FileListHandlers.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

FileListEvents::FileListEvents(WindowContext &ctx) : QObject(ctx.ListView1), m_ctx(ctx)
{
    ctx.ListView1->installEventFilter(this);
    ctx.ListView1->viewport()->installEventFilter(this);
}

bool FileListEvents::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ctx.ListView1->viewport())
        return viewportEvent(event);
    if (watched == m_ctx.ListView1 && event->type() == QEvent::KeyPress)
        ListView1_KeyDown(m_ctx, static_cast<QKeyEvent *>(event)->key());
    return false;
}

bool FileListEvents::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // The view selects the row and reports the item click after this.
        ListView1_MouseDown(m_ctx);
        return false;
    case QEvent::MouseMove: {
        const auto *move = static_cast<QMouseEvent *>(event);
        // A release that went elsewhere (to a modal box opened meanwhile) still ends the drag, so
        // that plain hovering never moves rows.
        if (m_ctx.drag.DragFlag && move->buttons() == Qt::NoButton)
            ListView1_MouseUp(m_ctx);
        ListView1_MouseMove(m_ctx, move->position().toPoint(), move->globalPosition().toPoint());
        return m_ctx.drag.DragFlag;
    }
    case QEvent::MouseButtonRelease: {
        // Before the view turns the release into a click, which may start a long preview.
        ListView1_MouseUp(m_ctx);
        // The release that ends a double-click is no second click: one preview per double-click.
        const bool endsDoubleClick = m_doubleClicked;
        m_doubleClicked = false;
        return endsDoubleClick;
    }
    case QEvent::MouseButtonDblClick:
        ListView1_DblClick(m_ctx);
        m_doubleClicked = true;
        // The view would treat the second press as a new press on whatever row is now under the
        // pointer and select it.
        return true;
    default:
        return false;
    }
}
