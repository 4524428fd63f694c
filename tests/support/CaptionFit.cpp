// SPDX-License-Identifier: GPL-3.0-or-later
#include "CaptionFit.h"

#include "app/MainWindow.h"
#include "app/WindowLayout.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTreeView>

namespace {

QString described(const QWidget *control, const QString &text, int needs)
{
    return QStringLiteral("%1 \"%2\" needs %3 pixels, has %4")
        .arg(control->objectName(), text)
        .arg(needs)
        .arg(control->width());
}

} // namespace

QStringList cutCaptions(MainWindow &window)
{
    QStringList problems;
    QList<QWidget *> controls;
    for (const ControlLayout &row : windowlayout::controls())
        controls << window.findChild<QWidget *>(QString::fromLatin1(row.objectName));
    for (QWidget *control : controls) {
        if (!control->parentWidget()->rect().contains(control->geometry()))
            problems << control->objectName() + QStringLiteral(" reaches out of its parent");
        int needs = 0;
        QString text;
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            // A push button's size hint has a least width of its own; its caption is what counts.
            text = button->text();
            needs = button->fontMetrics().horizontalAdvance(QString(text).remove(u'&')) +
                    2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        } else if (auto *button = qobject_cast<QAbstractButton *>(control)) {
            text = button->text();
            needs = button->sizeHint().width();
        } else if (auto *label = qobject_cast<QLabel *>(control)) {
            text = label->text();
            needs = label->sizeHint().width();
        } else if (auto *frame = qobject_cast<QGroupBox *>(control)) {
            text = frame->title();
            needs = frame->minimumSizeHint().width();
        } else if (auto *list = qobject_cast<QTreeView *>(control)) {
            // As the header draws it: within its margins, shortened where it does not fit.
            const QHeaderView *header = list->header();
            text = list->model()->headerData(0, Qt::Horizontal).toString();
            const int room =
                header->sectionSize(0) -
                2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            if (header->fontMetrics().elidedText(text, Qt::ElideRight, room) != text)
                problems << described(control, text, room);
        }
        // A control inside a frame starts below the frame's title.
        if (auto *frame = qobject_cast<QGroupBox *>(control->parentWidget());
            frame && !frame->title().isEmpty() && control->y() < frame->fontMetrics().height())
            problems << control->objectName() + QStringLiteral(" pokes above the title of ") +
                            frame->objectName();
        if (needs > control->width())
            problems << described(control, text, needs);
        // A caption that reaches under its neighbour is cut by it; a frame holds its controls.
        for (QWidget *other : controls) {
            if (other != control && other->parentWidget() == control->parentWidget() &&
                !qobject_cast<QGroupBox *>(control) && !qobject_cast<QGroupBox *>(other) &&
                control->geometry().intersects(other->geometry()) &&
                control->objectName() < other->objectName())
                problems << control->objectName() + QStringLiteral(" overlaps ") +
                                other->objectName();
        }
    }
    return problems;
}
