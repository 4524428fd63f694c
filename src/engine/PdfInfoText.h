// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QString>

// The output of `pdfinfo -isodates` (and the converter service's lines of the same form): one
// "Key:   value" a line. The one reader of it, for the JSON Lines' metadata and for the tests
// that hold the service's information to pdfinfo's.
namespace pdfinfotext {

struct Field
{
    QString key;   // "Title", "Page size", ...
    QString value; // as printed, without the spaces that align it
    friend bool operator==(const Field &, const Field &) = default;
};

// The fields in their order; a line without a colon is skipped.
QList<Field> parse(const QByteArray &output);

// The fields a JSON Lines file carries, by their JSON names (title, subject, keywords, author,
// creator, producer, created, modified, tagged, form, pages, encrypted, page_size,
// pdf_version): the values as pdfinfo prints them, pages as a number. A field pdfinfo does not
// print is absent.
QJsonObject metadata(const QByteArray &output);

} // namespace pdfinfotext
