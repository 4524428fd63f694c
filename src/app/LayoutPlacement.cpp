// SPDX-License-Identifier: GPL-3.0-or-later
#include "LayoutPlacement.h"

#include "WindowLayout.h"

#include <algorithm>
#include <QCheckBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QStyle>
#include <QTreeView>

namespace layoutplacement {

namespace {

// The rows a list shows when the controls scroll.
constexpr int ScrolledListRows = 3;

QSize defaultClientSize(qreal dpi)
{
    return {windowlayout::pixels(windowlayout::ClientWidth, dpi),
            windowlayout::pixels(windowlayout::ClientHeight, dpi)};
}

// A row's place in its parent: its twips at the default size, and its share of the parent's
// extra size.
QRect placeOf(const ControlLayout &row, const QWidget &parent, qreal dpi)
{
    const auto px = [dpi](int twips) { return windowlayout::pixels(twips, dpi); };
    QSize parentDefault = defaultClientSize(dpi);
    if (row.parentName) {
        const QRect t = windowlayout::control(row.parentName).twips;
        parentDefault = QSize(px(t.width()), px(t.height()));
    }
    const int extraWidth = parent.width() - parentDefault.width();
    const int extraHeight = parent.height() - parentDefault.height();
    const QRect &t = row.twips;
    const Stretch &s = row.stretch;
    return QRect(px(t.x()) + qRound(s.x * extraWidth), px(t.y()) + qRound(s.y * extraHeight),
                 px(t.width()) + qRound(s.width * extraWidth),
                 px(t.height()) + qRound(s.height * extraHeight));
}

// The width a check box or option button may take: up to the next control of its row, or the
// last few pixels of its parent.
int roomRightOf(const ControlLayout &row, const QRect &place, const QWidget &parent, qreal dpi)
{
    const int gap = windowlayout::pixels(60, dpi);
    int room = parent.width() - place.x() - gap;
    for (const ControlLayout &other : windowlayout::controls()) {
        if (&other == &row || qstrcmp(other.parentName, row.parentName) != 0)
            continue;
        const QRect there = placeOf(other, parent, dpi);
        // Of its row: the other control's middle is level with it.
        if (there.left() > place.left() && there.center().y() >= place.top() &&
            there.center().y() <= place.bottom())
            room = std::min(room, there.left() - place.left() - gap);
    }
    return room;
}

// The height of a list that shows `rows` rows below its heading.
int heightShowingRows(const QTreeView &list, int rows)
{
    const int row = list.fontMetrics().height() +
                    2 * list.style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, &list);
    return list.header()->sizeHint().height() + rows * row + 2 * list.frameWidth();
}

} // namespace

void placeControls(QWidget &client, qreal dpi)
{
    // Table order puts every frame before the controls inside it, so a parent's size is final
    // when its children are placed.
    for (const ControlLayout &row : windowlayout::controls()) {
        auto *control = client.findChild<QWidget *>(QString::fromLatin1(row.objectName));
        if (!control)
            continue;
        const QWidget &parent = *control->parentWidget();
        QRect place = placeOf(row, parent, dpi);
        // A caption wider than its place (a larger font, a longer translation) reaches further.
        if (qobject_cast<QCheckBox *>(control) || qobject_cast<QRadioButton *>(control)) {
            const int room = roomRightOf(row, place, parent, dpi);
            place.setWidth(std::max(place.width(), std::min(control->sizeHint().width(), room)));
        }
        control->setGeometry(place);
    }
}

screenfit::ClientSizes clientSizes(const QWidget &client, qreal dpi)
{
    // Smaller than its default size, the window loses height from its lists only; its width
    // stays.
    const QSize full = defaultClientSize(dpi);
    const int leastList = windowlayout::pixels(windowlayout::ListMinimumHeight, dpi);
    QList<screenfit::ListShare> least;
    QList<screenfit::ListShare> scrolled;
    for (const ControlLayout &row : windowlayout::controls()) {
        if (row.parentName || row.stretch.height <= 0)
            continue;
        const int height = windowlayout::pixels(row.twips.height(), dpi);
        least.append({height, row.stretch.height, leastList});
        int rowsHigh = leastList;
        if (auto *list = client.findChild<QTreeView *>(QString::fromLatin1(row.objectName)))
            rowsHigh = std::max(leastList, heightShowingRows(*list, ScrolledListRows));
        scrolled.append({height, row.stretch.height, rowsHigh});
    }
    return {full, QSize(full.width(), screenfit::leastHeight(full.height(), least)),
            screenfit::leastHeight(full.height(), scrolled)};
}

} // namespace layoutplacement
