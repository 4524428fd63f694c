// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

// One part of a run that several machines share: part K of N, counted from 1 as GNU
// `split -n K/N` counts its chunks. Every machine gathers the inputs and keeps its part. A file's
// part depends on its path alone, so the parts are disjoint, together hold every input, and stay
// where they were when files are added, deleted or grow between one task and the next: a part
// run again later converts the same files it converted before, less the deleted ones.
struct Shard
{
    int part = 0;  // K, from 1; 0 for the whole run
    int parts = 0; // N

    bool isWhole() const { return parts == 0; }
};

namespace shards {

// "K/N" with whole numbers 1 <= K <= N (digits only); nullopt for anything else.
std::optional<Shard> parse(QStringView text);

// One input as the split sees it. Only the path decides the part; the size is the caller's to
// count with.
struct Input
{
    QString path;
    qint64 bytes = 0;
};

// A 64-bit hash of a path's bytes (FNV-1a, then MurmurHash3's final mix so every bit counts). It
// is written here, not taken from a library, because every machine and every version of the
// program must give a path the same part.
quint64 pathHash(QByteArrayView bytes);

// The part (1 to `parts`) of the file at `path`: its hash, as the system's bytes of the path,
// scaled to the parts. Files are spread evenly by number; many files spread their bytes evenly
// too.
int partOf(const QString &path, int parts);

// The part (1 to `parts`) of each input, in list order.
QList<int> partOfEach(const QList<Input> &inputs, int parts);

// The indexes, in list order, of the inputs that `shard` holds (all of them for the whole run).
QList<int> indexesIn(const QList<Input> &inputs, Shard shard);

} // namespace shards
