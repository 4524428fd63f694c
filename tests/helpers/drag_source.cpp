// SPDX-License-Identifier: GPL-3.0-or-later
// A window that starts a real drag of the files and folders named on its command line as soon as
// the mouse is pressed in it, the way a file manager does. The
// walkthrough drags from it onto the program's file list under a virtual screen, where no file
// manager runs. It ends a few seconds after the drop.

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>

namespace {

class DragSource final : public QLabel
{
public:
    explicit DragSource(QList<QUrl> urls) : m_urls(std::move(urls))
    {
        setWindowTitle(QStringLiteral("DragSource"));
        setText(QStringLiteral("Press here and drag onto the file list"));
        setMargin(20);
    }

protected:
    void mousePressEvent(QMouseEvent *) override
    {
        auto *data = new QMimeData;
        data->setUrls(m_urls);
        auto *drag = new QDrag(this);
        drag->setMimeData(data);
        drag->exec(Qt::CopyAction);
        // The target reads the dropped data from this program after the drop: stay a while.
        QTimer::singleShot(5000, qApp, &QCoreApplication::quit);
    }

private:
    QList<QUrl> m_urls;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QList<QUrl> urls;
    for (const QString &path : app.arguments().mid(1))
        urls.append(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    DragSource source(urls);
    source.move(0, 0);
    source.show();
    return QApplication::exec();
}
