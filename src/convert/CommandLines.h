#pragma once

#include <QString>
#include <QStringList>

// The argument vectors of the converter's runs. The program is not part of them.

// How a typed password is offered to the converter: as the owner password (-opw) or as the
// password that opens the file (-upw). One of them, never both.
enum class PasswordRole
{
    Owner,
    User
};

// Every page of the PDF into the text file at `output`: [-opw|-upw password] pdf output.
QStringList BatchArguments(const QString &pdf, const QString &output, const QString &password = {},
                           PasswordRole role = PasswordRole::Owner);

// Pages 1 to 100 of the PDF into the text file at `output`:
// [-opw|-upw password] -f 1 -l 100 pdf output.
QStringList PreviewArguments(const QString &pdf, const QString &output,
                             const QString &password = {}, PasswordRole role = PasswordRole::Owner);

// A path as a positional argument: a path that starts with "-" is made absolute, so that the
// converter cannot take a file named like "-raw" for one of its options (or "-" for the console).
QString PositionalPath(const QString &path);
