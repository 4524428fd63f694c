#include "OutputOptions.h"

#include "app/WindowContext.h"
#include "platform/Failure.h"
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

namespace {

// Stores one choice. These handlers run for every click and keystroke, so a store that cannot be
// written is told once, not on every change; the window goes on with the choice it shows.
void storeChoice(WindowContext &ctx, const QString &key, const QString &text)
{
    try {
        ctx.settings->SaveSetting(key, text);
    } catch (const Failure &failure) {
        if (ctx.settingsFailureShown)
            return;
        ctx.settingsFailureShown = true;
        ctx.message(QStringLiteral("Your choices cannot be saved for the next start: ") +
                        failure.description() + QStringLiteral("\r\r") + SettingsStore::location(),
                    MessageButtons::Ok, MessageIcon::Warning);
    }
}

// The check box's value as stored: 0 clear, 1 ticked, 2 greyed.
int checkValue(Qt::CheckState state)
{
    switch (state) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    case Qt::Unchecked:
        break;
    }
    return 0;
}

} // namespace

void Option_Click(WindowContext &ctx)
{
    storeChoice(ctx, QStringLiteral("Option1"), settingtext::fromBool(ctx.Option1->isChecked()));
    storeChoice(ctx, QStringLiteral("Option2"), settingtext::fromBool(ctx.Option2->isChecked()));
    ctx.Frame2->setEnabled(ctx.Option1->isChecked());
}

void Check1_Click(WindowContext &ctx)
{
    storeChoice(ctx, QStringLiteral("Check1"),
                settingtext::fromInt(checkValue(ctx.Check1->checkState())));
}

void Text1_Change(WindowContext &ctx)
{
    storeChoice(ctx, QStringLiteral("Output Folder"), ctx.Text1->text());
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
    if (proc.guard(104, [&] { return folder.isEmpty(); }))
        return;
    proc.run(106, [&] { ctx.settings->SaveSetting(QStringLiteral("LastFolderDot"), folder); });
    const QChar sep = paths::separator();
    if (proc.branch(108, [&] { return !folder.endsWith(sep); }))
        proc.run(110, [&] { ctx.Text1->setText(folder + sep); });
    else
        proc.run(112, [&] { ctx.Text1->setText(folder); });
}
