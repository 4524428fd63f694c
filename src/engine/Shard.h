// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <QList>
#include <QString>
#include <QStringView>

// One part of a run that several machines share: part K of N, counted from 1 as GNU
// `split -n K/N` counts its chunks. Every machine gathers the same inputs and keeps its part, so
// the parts are disjoint, together hold every input, and do not depend on the order in which a
// file system lists its folders.
struct Shard
{
    int part = 0;  // K, from 1; 0 for the whole run
    int parts = 0; // N

    bool isWhole() const { return parts == 0; }
};

namespace shards {

// "K/N" with whole numbers 1 <= K <= N (digits only); nullopt for anything else.
std::optional<Shard> parse(QStringView text);

// One input as the split sees it: its path and its size in bytes (0 for a path that names no file).
struct Input
{
    QString path;
    qint64 bytes = 0;
};

// The part (1 to `parts`) of each input, in list order. The inputs are put in the order of their
// paths' bytes (the gathered order among equal paths), laid end to end and cut into `parts`
// equal stretches of bytes; an input goes to the stretch that holds its middle byte, so no part
// holds more than 1/`parts` of all bytes plus one input's. When every input is empty they are
// cut by count.
QList<int> partOfEach(const QList<Input> &inputs, int parts);

// The indexes, in list order, of the inputs that `shard` holds (all of them for the whole run).
QList<int> indexesIn(const QList<Input> &inputs, Shard shard);

} // namespace shards
