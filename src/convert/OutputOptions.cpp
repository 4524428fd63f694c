#include "OutputOptions.h"

#include "app/WindowContext.h"
#include "platform/PathRules.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

void connectOutputOptions(WindowContext &ctx)
{
    // A button that becomes selected is clicked, whether by the user or by the start-up restore.
    for (QRadioButton *option : {ctx.Option1, ctx.Option2}) {
        QObject::connect(option, &QRadioButton::toggled, ctx.Form1, [&ctx](bool selected) {
            if (selected)
                Option_Click(ctx);
        });
    }
    QObject::connect(ctx.Check1, &QCheckBox::stateChanged, ctx.Form1,
                     [&ctx] { Check1_Click(ctx); });
    QObject::connect(ctx.Text1, &QLineEdit::textChanged, ctx.Form1, [&ctx] { Text1_Change(ctx); });
    QObject::connect(ctx.PushButton7, &QPushButton::clicked, ctx.Form1,
                     [&ctx] { PushButton7_Click(ctx); });
}

void Option_Click(WindowContext &ctx)
{
    ctx.settings->SaveSetting(QStringLiteral("Option1"),
                              settingtext::fromBool(ctx.Option1->isChecked()));
    ctx.settings->SaveSetting(QStringLiteral("Option2"),
                              settingtext::fromBool(ctx.Option2->isChecked()));
    ctx.Frame2->setEnabled(ctx.Option1->isChecked());
}

void Check1_Click(WindowContext &ctx)
{
    ctx.settings->SaveSetting(
        QStringLiteral("Check1"),
        settingtext::fromInt(ctx.Check1->checkState() == Qt::Checked ? 1 : 0));
}

void Text1_Change(WindowContext &ctx)
{
    ctx.settings->SaveSetting(QStringLiteral("Output Folder"), ctx.Text1->text());
}

QString BrowseForFolder(WindowContext &ctx, QWidget *owner, const QString &title,
                        const QString &startFolder)
{
    return ctx.services->browseForFolder(owner, title, startFolder);
}

void PushButton7_Click(WindowContext &ctx)
{
    Procedure proc(ctx.reporter(), tags::BrowseOutput);
    QString start;
    QString folder;
    proc.run(100,
             [&] { start = ctx.settings->GetSetting(QStringLiteral("LastFolder"), QString()); });
    proc.run(102, [&] {
        folder = BrowseForFolder(ctx, ctx.Form1, QStringLiteral("Please select folder:"), start);
    });
    if (proc.test(
            104, [&] { return folder.isEmpty(); }, false))
        return;
    proc.run(106, [&] { ctx.settings->SaveSetting(QStringLiteral("LastFolderDot"), folder); });
    const QChar sep = paths::separator();
    if (proc.test(
            108, [&] { return !folder.endsWith(sep); }, true))
        proc.run(110, [&] { ctx.Text1->setText(folder + sep); });
    else
        proc.run(112, [&] { ctx.Text1->setText(folder); });
}
