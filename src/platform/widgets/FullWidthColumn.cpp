// SPDX-License-Identifier: GPL-3.0-or-later
#include "FullWidthColumn.h"

#include <algorithm>
#include <QEvent>
#include <QHeaderView>
#include <QStyle>
#include <QTreeView>

FullWidthColumn::FullWidthColumn(QTreeView &list) : QObject(&list), m_list(list)
{
    QHeaderView *header = m_list.header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Interactive);
    m_list.viewport()->installEventFilter(this);
    header->installEventFilter(this);
    connect(header, &QHeaderView::sectionResized, this, [this](int section, int, int width) {
        if (section == 0 && !m_fitting)
            m_userWidth = width;
    });
    connect(m_list.model(), &QAbstractItemModel::headerDataChanged, this, &FullWidthColumn::fit);
    fit();
}

int FullWidthColumn::wantedWidth() const
{
    // The header draws its text within its margins and shortens it with "..." where it does not
    // fit (the section's size hint keeps room for a sort mark these lists never show).
    const QHeaderView *header = m_list.header();
    const QString heading = m_list.model()->headerData(0, Qt::Horizontal).toString();
    const int headingWidth =
        header->fontMetrics().horizontalAdvance(heading) +
        2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header) + 2;
    return std::max({m_list.viewport()->width(), headingWidth, m_userWidth});
}

bool FullWidthColumn::eventFilter(QObject *watched, QEvent *event)
{
    // The list's width, or the heading's font, changed.
    if ((watched == m_list.viewport() && event->type() == QEvent::Resize) ||
        (watched == m_list.header() &&
         (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)))
        fit();
    return QObject::eventFilter(watched, event);
}

void FullWidthColumn::fit()
{
    if (m_list.model() == nullptr || m_list.model()->columnCount() < 1)
        return;
    m_fitting = true;
    m_list.header()->resizeSection(0, wantedWidth());
    m_fitting = false;
}
