// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of a run shared among machines: what "K/N" may be, and that the parts are disjoint,
// complete, balanced by bytes and the same whatever order the inputs were found in.
#include "engine/Shard.h"
#include "platform/NativePath.h"

#include <algorithm>
#include <QRandomGenerator>
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
    void pathsSortAsTheSystemsBytes();
    void emptyFilesAreCutByCount();
    void anEmptyFileAfterTheLastByteIsInTheLastPart();
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
    qint64 total = 0;
    qint64 largest = 0;
    for (const shards::Input &input : inputs) {
        total += input.bytes;
        largest = std::max(largest, input.bytes);
    }

    QList<int> seen(count, 0);
    for (int part = 1; part <= parts; ++part) {
        const QList<int> indexes = shards::indexesIn(inputs, Shard{part, parts});
        QVERIFY(std::is_sorted(indexes.cbegin(), indexes.cend())); // in the gathered order
        qint64 bytes = 0;
        for (const int index : indexes) {
            ++seen[index];
            bytes += inputs.at(index).bytes;
        }
        QVERIFY2(
            bytes * parts <= total + largest * parts,
            qPrintable(
                QStringLiteral("part %1 holds %2 of %3 bytes").arg(part).arg(bytes).arg(total)));
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

// A name beyond U+FFFF and one of bytes that are not UTF-8 sort as their bytes do, not as
// UTF-16 would sort them.
void TestShard::pathsSortAsTheSystemsBytes()
{
    const QList<shards::Input> inputs = {
        {nativepath::decode(QByteArray("/a/\xff.pdf")), 10}, // a lone byte 0xff
        {QStringLiteral("/a/\U0001F600.pdf"), 10},           // F0 9F 98 80
        {QStringLiteral("/a/\uFF5E.pdf"), 10},               // EF BD 9E
    };
    QCOMPARE(shards::partOfEach(inputs, 3), (QList<int>{3, 2, 1}));
}

void TestShard::emptyFilesAreCutByCount()
{
    QList<shards::Input> inputs;
    for (int i = 0; i < 6; ++i)
        inputs.append({QStringLiteral("/e/%1.pdf").arg(i), 0});
    QCOMPARE(shards::partOfEach(inputs, 3), (QList<int>{1, 1, 2, 2, 3, 3}));
}

void TestShard::anEmptyFileAfterTheLastByteIsInTheLastPart()
{
    const QList<shards::Input> inputs = {{QStringLiteral("/z/gone.pdf"), 0},
                                         {QStringLiteral("/a/big.pdf"), 1000},
                                         {QStringLiteral("/b/small.pdf"), 10}};
    QCOMPARE(shards::partOfEach(inputs, 2), (QList<int>{2, 1, 2}));
    QCOMPARE(shards::indexesIn(inputs, Shard{2, 2}), (QList<int>{0, 2}));
}

QTEST_GUILESS_MAIN(TestShard)
#include "tst_shard.moc"
