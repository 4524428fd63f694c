// SPDX-License-Identifier: GPL-3.0-or-later
#include "Shard.h"

#include "platform/NativePath.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace shards {

namespace {

// A whole number of digits only, at most 9 of them (no sign, no space, no overflow).
std::optional<int> digitsOf(QStringView text)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    int value = 0;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    return value;
}

} // namespace

std::optional<Shard> parse(QStringView text)
{
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0)
        return std::nullopt;
    const std::optional<int> part = digitsOf(text.left(slash));
    const std::optional<int> parts = digitsOf(text.mid(slash + 1));
    if (!part || !parts || *part < 1 || *part > *parts)
        return std::nullopt;
    return Shard{*part, *parts};
}

QList<int> partOfEach(const QList<Input> &inputs, int parts)
{
    QList<int> partOf(inputs.size(), 1);
    if (parts <= 1 || inputs.isEmpty())
        return partOf;

    // Paths compare as the system's bytes: a name that is not UTF-8, or one beyond U+FFFF, sorts
    // alike on every machine.
    std::vector<QByteArray> pathBytes;
    pathBytes.reserve(size_t(inputs.size()));
    for (const Input &input : inputs)
        pathBytes.push_back(nativepath::encode(input.path));
    std::vector<int> order(size_t(inputs.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return pathBytes[size_t(a)] < pathBytes[size_t(b)]; });

    qint64 total = 0;
    for (const Input &input : inputs)
        total += std::max<qint64>(input.bytes, 0);
    const bool byCount = total == 0;
    if (byCount)
        total = inputs.size();

    // An input goes to the part in which its middle byte lies: floor(middle * parts / total),
    // in halves of a byte and without overflow for any size a file system holds. An empty input
    // after the last byte belongs to the last part.
    qint64 start = 0;
    for (const int index : order) {
        const qint64 bytes = byCount ? 1 : std::max<qint64>(inputs.at(index).bytes, 0);
        const __int128 twiceTheMiddle = __int128(start) * 2 + std::max<qint64>(bytes - 1, 0);
        partOf[index] = std::min(parts, int(twiceTheMiddle * parts / (__int128(total) * 2)) + 1);
        start += bytes;
    }
    return partOf;
}

QList<int> indexesIn(const QList<Input> &inputs, Shard shard)
{
    QList<int> indexes;
    const QList<int> partOf = partOfEach(inputs, shard.isWhole() ? 1 : shard.parts);
    for (int i = 0; i < partOf.size(); ++i)
        if (shard.isWhole() || partOf.at(i) == shard.part)
            indexes.append(i);
    return indexes;
}

} // namespace shards
