// SPDX-License-Identifier: GPL-3.0-or-later
#include "PdfInfoText.h"

#include <QJsonValue>

namespace pdfinfotext {

QList<Field> parse(const QByteArray &output)
{
    QList<Field> fields;
    for (const QByteArray &line : output.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        qsizetype start = colon + 1;
        while (start < line.size() && line.at(start) == ' ')
            ++start;
        fields.append({QString::fromUtf8(line.left(colon)), QString::fromUtf8(line.mid(start))});
    }
    return fields;
}

QJsonObject metadata(const QByteArray &output)
{
    static const struct
    {
        const char *key;
        const char *name;
    } carried[] = {
        {"Title", "title"},          {"Subject", "subject"},
        {"Keywords", "keywords"},    {"Author", "author"},
        {"Creator", "creator"},      {"Producer", "producer"},
        {"CreationDate", "created"}, {"ModDate", "modified"},
        {"Tagged", "tagged"},        {"Form", "form"},
        {"Pages", "pages"},          {"Encrypted", "encrypted"},
        {"Page size", "page_size"},  {"PDF version", "pdf_version"},
    };
    const QList<Field> fields = parse(output);
    QJsonObject object;
    for (const auto &field : carried) {
        const auto found = std::find_if(fields.cbegin(), fields.cend(), [&](const Field &f) {
            return f.key == QLatin1String(field.key);
        });
        if (found == fields.cend())
            continue;
        const QString name = QLatin1String(field.name);
        if (name == QLatin1String("pages"))
            object.insert(name, found->value.toInt());
        else
            object.insert(name, found->value);
    }
    return object;
}

} // namespace pdfinfotext
