// SPDX-License-Identifier: GPL-3.0-or-later
// The check of cut captions that the window's tests rely on finds what a user would see cut: each
// row spoils the laid-out window in one way and names the problem the check must report.
#include "CaptionFit.h"
#include "WindowFixture.h"

#include <QTest>

class TestCaptionFit : public QObject
{
    Q_OBJECT

private slots:
    void findsWhatIsCut_data();
    void findsWhatIsCut();
};

void TestCaptionFit::findsWhatIsCut_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QPoint>("moveBy");
    QTest::addColumn<QSize>("resizeBy");
    QTest::addColumn<QString>("problem");

    QTest::newRow("as laid out") << QString() << QPoint() << QSize() << QString();
    QTest::newRow("two captions overlap")
        << "PushButton4" << QPoint(-40, 0) << QSize() << "PushButton1 overlaps PushButton4";
    QTest::newRow("one below another's edge")
        << "PushButton3" << QPoint(0, -10) << QSize() << "PushButton1 overlaps PushButton3";
    QTest::newRow("a caption wider than its button")
        << "PushButton6" << QPoint() << QSize(-200, 0)
        << "PushButton6 \"&Load Sample/Example Files\"";
    QTest::newRow("out of its frame")
        << "Text1" << QPoint(0, 200) << QSize() << "Text1 reaches out of its parent";
    QTest::newRow("above its frame's title")
        << "Check1" << QPoint(0, -15) << QSize() << "Check1 pokes above the title of Frame3";
}

void TestCaptionFit::findsWhatIsCut()
{
    QFETCH(QString, control);
    QFETCH(QPoint, moveBy);
    QFETCH(QSize, resizeBy);
    QFETCH(QString, problem);
    WindowFixture fx;
    MainWindow &window = fx.open();
    if (!control.isEmpty()) {
        auto *spoiled = window.findChild<QWidget *>(control);
        QVERIFY(spoiled);
        spoiled->setGeometry(QRect(spoiled->pos() + moveBy, spoiled->size() + resizeBy));
    }
    const QStringList cut = cutCaptions(window);
    if (problem.isEmpty()) {
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(u'\n')));
        return;
    }
    QVERIFY2(!cut.filter(problem).isEmpty(), qPrintable(cut.join(u'\n')));
}

QTEST_MAIN(TestCaptionFit)
#include "tst_captionfit.moc"
