// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "batch/BatchController.h"
#include "platform/RowListModel.h"
#include "PdfFixtures.h"
#include "WindowFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

// PDFs the tests make once per test program: text, pages, a scan, the protected kinds, a damaged
// file. Passwords are those of the protected files.
struct MadePdfs
{
    static constexpr char16_t UserPassword[] = u"open sesame";
    static constexpr char16_t OwnerPassword[] = u"boss-only";

    explicit MadePdfs(const QString &folder)
    {
        QDir().mkpath(folder);
        text = folder + QStringLiteral("/text.pdf");
        fixtures::writeTextPdf(text, {QStringLiteral("Hello from the first page.\nSecond line.")});
        pages = folder + QStringLiteral("/three pages.pdf");
        fixtures::writeTextPdf(pages,
                               {QStringLiteral("Page one text"), QStringLiteral("Page two text"),
                                QStringLiteral("Page three text")});
        image = folder + QStringLiteral("/scan.pdf");
        fixtures::writeImagePdf(image, 2);
        user = folder + QStringLiteral("/user.pdf");
        fixtures::encryptPdf(text, user, QString::fromUtf16(UserPassword),
                             QString::fromUtf16(OwnerPassword));
        owner = folder + QStringLiteral("/owner.pdf");
        fixtures::encryptPdf(text, owner, QString(), QString::fromUtf16(OwnerPassword),
                             {QStringLiteral("--extract=n")});
        damaged = folder + QStringLiteral("/damaged.pdf");
        QFile bad(damaged);
        bad.open(QIODevice::WriteOnly);
        bad.write("%PDF-1.4\n1 0 obj << /Type /Catalog >> endobj\ntrailer garbage\n");
    }

    QString text, pages, image, user, owner, damaged;
};

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Chooses the output folder (Option1) or the PDF's own folder (Option2) as the user would.
inline void saveToFolder(WindowControls &ui, const QString &folder)
{
    QTest::mouseClick(ui.saveToFolderOption, Qt::LeftButton, {},
                      QPoint(5, ui.saveToFolderOption->height() / 2));
    ui.outputFolderEdit->setText(folder);
}

// Opens the window with its text files going into the place's folder "out/", which it returns.
inline QString openSavingToOut(WindowFixture &fx)
{
    fx.open();
    const QString out = fx.place.path(QStringLiteral("out/"));
    QDir().mkpath(out);
    saveToFolder(fx.ui(), out);
    return out;
}

inline void saveBesidePdf(WindowControls &ui)
{
    QTest::mouseClick(ui.saveBesidePdfOption, Qt::LeftButton, {},
                      QPoint(5, ui.saveBesidePdfOption->height() / 2));
}

// Clicks "Start Converting To Text" and waits until the run is over and its final message closed
// (a refused start is over at once).
inline void clickStart(WindowControls &ui)
{
    QTest::mouseClick(ui.startButton, Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return !ui.window->batch().isRunning(); }, 120000))
        QFAIL("the run did not end within two minutes");
}
