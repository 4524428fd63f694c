// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a run shared among machines: what "K/N" may be, and that the parts are disjoint,
// complete, even in files, the same whatever order the inputs were found in, and stay put when
// files are deleted or grow between one task and the next.
#include "engine/Shard.h"
#include "platform/NativePath.h"

#include <algorithm>
#include <cstdlib>
#include <QMap>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <random>

namespace {

QList<shards::Input> randomInputs(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    QList<shards::Input> inputs;
    for (int i = 0; i < count; ++i) {
        // Mostly small files and a few large ones, as a real archive holds them; some paths that
        // name nothing (0 bytes).
        const quint32 kind = random.bounded(20u);
        const qint64 bytes = kind == 0   ? 0
                             : kind == 1 ? random.bounded(50'000'000)
                                         : random.bounded(200'000);
        inputs.append(
            {QStringLiteral("/archive/box %1/file %2.pdf").arg(random.bounded(30)).arg(i), bytes});
    }
    return inputs;
}

} // namespace

class TestShard : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void partsAreDisjointCompleteAndBalanced_data();
    void partsAreDisjointCompleteAndBalanced();
    void partsDoNotDependOnTheListingOrder();
    void thePartOfAPathIsTheSameEverywhere();
    void aListChangedBetweenTasksLosesNoFile();
};

void TestShard::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("part"); // 0: refused
    QTest::addColumn<int>("parts");
    QTest::newRow("one of one") << QStringLiteral("1/1") << 1 << 1;
    QTest::newRow("last of four") << QStringLiteral("4/4") << 4 << 4;
    QTest::newRow("leading zeros") << QStringLiteral("07/010") << 7 << 10;
    QTest::newRow("part zero") << QStringLiteral("0/3") << 0 << 0;
    QTest::newRow("part beyond the parts") << QStringLiteral("4/3") << 0 << 0;
    QTest::newRow("no parts") << QStringLiteral("1/0") << 0 << 0;
    QTest::newRow("no slash") << QStringLiteral("3") << 0 << 0;
    QTest::newRow("no part") << QStringLiteral("/3") << 0 << 0;
    QTest::newRow("no count") << QStringLiteral("1/") << 0 << 0;
    QTest::newRow("two slashes") << QStringLiteral("1/3/4") << 0 << 0;
    QTest::newRow("a sign") << QStringLiteral("+1/3") << 0 << 0;
    QTest::newRow("negative") << QStringLiteral("-1/3") << 0 << 0;
    QTest::newRow("spaces") << QStringLiteral(" 1/3") << 0 << 0;
    QTest::newRow("a fraction") << QStringLiteral("1.0/3") << 0 << 0;
    QTest::newRow("other digits") << QStringLiteral("\uff11/3") << 0 << 0;
    QTest::newRow("beyond an int") << QStringLiteral("1/99999999999") << 0 << 0;
    QTest::newRow("empty") << QString() << 0 << 0;
}

void TestShard::parse()
{
    QFETCH(QString, text);
    QFETCH(int, part);
    QFETCH(int, parts);
    const std::optional<Shard> shard = shards::parse(text);
    QCOMPARE(shard.has_value(), part != 0);
    if (shard) {
        QCOMPARE(shard->part, part);
        QCOMPARE(shard->parts, parts);
    }
}

void TestShard::partsAreDisjointCompleteAndBalanced_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("parts");
    QTest::newRow("1000 files in 1") << 1000 << 1;
    QTest::newRow("1000 files in 4") << 1000 << 4;
    QTest::newRow("1000 files in 7") << 1000 << 7;
    QTest::newRow("40 files in 64") << 40 << 64;
    QTest::newRow("1 file in 3") << 1 << 3;
}

void TestShard::partsAreDisjointCompleteAndBalanced()
{
    QFETCH(int, count);
    QFETCH(int, parts);
    const QList<shards::Input> inputs = randomInputs(count, 7);
    QList<int> seen(count, 0);
    for (int part = 1; part <= parts; ++part) {
        const QList<int> indexes = shards::indexesIn(inputs, Shard{part, parts});
        QVERIFY(std::is_sorted(indexes.cbegin(), indexes.cend())); // in the gathered order
        for (const int index : indexes)
            ++seen[index];
        // Even in files: within a fifth of the mean where each part has a hundred or more.
        if (count / parts >= 100)
            QVERIFY2(std::abs(indexes.size() * parts - count) * 5 <= count,
                     qPrintable(QStringLiteral("part %1 holds %2 of %3 files")
                                    .arg(part)
                                    .arg(indexes.size())
                                    .arg(count)));
    }
    QCOMPARE(seen, QList<int>(count, 1));
    QCOMPARE(shards::indexesIn(inputs, Shard{}).size(), count); // the whole run keeps all
}

// Every machine lists the folders in its own order: a file's part must not change with it.
void TestShard::partsDoNotDependOnTheListingOrder()
{
    QList<shards::Input> inputs = randomInputs(500, 11);
    inputs.append(inputs.at(3)); // a file named twice stays twice, one row each
    const auto partsByPath = [](const QList<shards::Input> &list) {
        QMultiMap<QString, int> byPath;
        const QList<int> partOf = shards::partOfEach(list, 5);
        for (int i = 0; i < list.size(); ++i)
            byPath.insert(list.at(i).path, partOf.at(i));
        return byPath;
    };
    const QMultiMap<QString, int> first = partsByPath(inputs);
    std::shuffle(inputs.begin(), inputs.end(), std::mt19937(3));
    QCOMPARE(partsByPath(inputs), first);
    std::reverse(inputs.begin(), inputs.end());
    QCOMPARE(partsByPath(inputs), first);
}

// The hash is the program's own: a part must not move with the machine, the Qt version or the
// run. A name that is not UTF-8 is hashed as its bytes.
void TestShard::thePartOfAPathIsTheSameEverywhere()
{
    QCOMPARE(shards::pathHash(""), 0xefd01f60ba992926ULL);
    QCOMPARE(shards::pathHash("/archive/a.pdf"), 0x3126187010690134ULL);
    QCOMPARE(shards::partOf(QStringLiteral("/archive/a.pdf"), 8), 2);
    QCOMPARE(shards::partOf(nativepath::decode(QByteArray("/a/\xff.pdf")), 8), 5);
    QCOMPARE(shards::partOf(QStringLiteral("/archive/a.pdf"), 1), 1);
}

// 1,000 files in 8 parts; between tasks 1-4 and tasks 5-8, 10 files are deleted, 10 grow and 10
// are added: every file there at the end is in exactly one part of the task that saw it, and a
// part run again with the later list holds what it held, less the deleted files.
void TestShard::aListChangedBetweenTasksLosesNoFile()
{
    constexpr int Parts = 8;
    const QList<shards::Input> before = randomInputs(1000, 5);
    QList<shards::Input> after = before;
    for (int i = 0; i < 10; ++i) {
        after[i * 90].bytes += 1'000'000;
        after.removeAt(i * 90 + 1);
        after.append({QStringLiteral("/archive/new/%1.pdf").arg(i), 100});
    }
    QMap<QString, int> converted; // path: how many parts converted it
    for (int part = 1; part <= Parts; ++part) {
        const QList<shards::Input> &seen = part <= Parts / 2 ? before : after;
        for (const int index : shards::indexesIn(seen, Shard{part, Parts}))
            ++converted[seen.at(index).path];
        // The same part again with the later list: its files, less the deleted ones.
        QSet<QString> again, first;
        for (const int index : shards::indexesIn(after, Shard{part, Parts}))
            again << after.at(index).path;
        for (const int index : shards::indexesIn(before, Shard{part, Parts}))
            first << before.at(index).path;
        for (const shards::Input &input : after)
            if (first.contains(input.path))
                QVERIFY2(again.contains(input.path), qPrintable(input.path));
    }
    for (const shards::Input &input : after)
        if (!input.path.startsWith(QStringLiteral("/archive/new/")))
            QVERIFY2(converted.value(input.path) == 1, qPrintable(input.path));
}

QTEST_GUILESS_MAIN(TestShard)
#include "tst_shard.moc"
