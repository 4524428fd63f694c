// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class QTreeView;

// Keeps the one column of a list as wide as the list and never narrower than its heading, so
// the heading is read whole in a narrow window and the column fills a wide one. A width the
// user drags the column to is kept while it is wider; the list then scrolls sideways.
class FullWidthColumn final : public QObject
{
    Q_OBJECT

public:
    // Owned by the list.
    explicit FullWidthColumn(QTreeView &list);

    // The width the column is given now.
    int wantedWidth() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void fit();

    QTreeView &m_list;
    int m_userWidth = 0;
    bool m_fitting = false;
};
