// SPDX-License-Identifier: GPL-3.0-or-later
#include "Shard.h"

#include "platform/NativePath.h"

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

quint64 pathHash(QByteArrayView bytes)
{
    quint64 hash = 0xcbf29ce484222325ULL; // FNV-1a's offset basis and prime
    for (const char byte : bytes) {
        hash ^= quint8(byte);
        hash *= 0x100000001b3ULL;
    }
    // FNV's low bits mix poorly; MurmurHash3's finalizer spreads every input bit over all 64.
    hash ^= hash >> 33;
    hash *= 0xff51afd7ed558ccdULL;
    hash ^= hash >> 33;
    hash *= 0xc4ceb9fe1a85ec53ULL;
    hash ^= hash >> 33;
    return hash;
}

int partOf(const QString &path, int parts)
{
    if (parts <= 1)
        return 1;
    // The hash scaled to 0..parts-1 by its high bits: fair for any number of parts.
    const quint64 hash = pathHash(nativepath::encode(path));
    return int((unsigned __int128)hash * unsigned(parts) >> 64) + 1;
}

QList<int> partOfEach(const QList<Input> &inputs, int parts)
{
    QList<int> partOfInput;
    partOfInput.reserve(inputs.size());
    for (const Input &input : inputs)
        partOfInput.append(partOf(input.path, parts));
    return partOfInput;
}

QList<int> indexesIn(const QList<Input> &inputs, Shard shard)
{
    QList<int> indexes;
    const QList<int> partOfInput = partOfEach(inputs, shard.isWhole() ? 1 : shard.parts);
    for (int i = 0; i < partOfInput.size(); ++i)
        if (shard.isWhole() || partOfInput.at(i) == shard.part)
            indexes.append(i);
    return indexes;
}

} // namespace shards
