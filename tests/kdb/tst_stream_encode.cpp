// Values written through a sink (the path of binary result files): the bytes
// a message carries, however the sink's pieces fall, also when a background
// sink writes them late; large vectors handed over from the value itself; a
// refused value or a failing sink reported.
#include "KCompare.h"
#include "kdb/BackgroundSink.h"
#include "kdb/KPtr.h"
#include "kdb/Serializer.h"
#include "kdb/k.h"

#include <QtTest>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

using namespace ktest;

namespace {

// Keeps every write; refuses the write numbered failAt (counting from 0).
class RecordingSink : public kdb::Serializer::Sink {
public:
    explicit RecordingSink(int failAt = -1, bool slow = false) : m_failAt(failAt), m_slow(slow) {}
    bool write(const char* data, std::size_t size) override
    {
        // A slow sink reads the bytes late: a writer that reuses them too
        // early shows as different bytes.
        if (m_slow)
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        if (int(m_writes.size()) == m_failAt) {
            m_refused = true;
            return false;
        }
        if (m_refused)
            m_writtenAfterRefusal = true;
        m_writes.push_back({data, size});
        m_bytes.append(data, qsizetype(size));
        return true;
    }

    struct Write {
        const char* data;
        std::size_t size;
    };
    const std::vector<Write>& writes() const { return m_writes; }
    const QByteArray& bytes() const { return m_bytes; }
    bool writtenAfterRefusal() const { return m_writtenAfterRefusal; }

private:
    int m_failAt;
    bool m_slow;
    bool m_refused = false;
    bool m_writtenAfterRefusal = false;
    std::vector<Write> m_writes;
    QByteArray m_bytes;
};

QByteArray messageBody(K x)
{
    std::vector<char> out;
    std::string error;
    if (!kdb::Serializer::serialize(x, 1, out, error))
        return "unserialisable: " + QByteArray::fromStdString(error);
    return QByteArray(out.data() + 8, qsizetype(out.size() - 8));
}

K longs(J n)
{
    K x = ktn(KJ, n);
    for (J i = 0; i < n; ++i)
        kJ(x)[i] = i * 3 - 7;
    return x;
}

K names(J n, int width)
{
    K x = ktn(KS, n);
    for (J i = 0; i < n; ++i)
        kS(x)[i] = ss(std::to_string(i % 1000).append(std::size_t(i % width), 'x').c_str());
    return x;
}

using Builder = K (*)();

const std::pair<const char*, Builder> kValues[] = {
    {"long atom", [] { return kj(42); }},
    {"symbol atom", [] { return ks("abc"); }},
    {"names of every short length", [] { return names(5000, 20); }},
    // More than a chunk of names (2 MiB): runs end in the middle of them.
    {"a million short names", [] { return names(1000000, 4); }},
    {"one name over 64 KiB", [] {
         K x = ktn(KS, 3);
         kS(x)[0] = ss("a");
         kS(x)[1] = ss(std::string(100000, 'n').c_str());
         kS(x)[2] = ss("");
         return x;
     }},
    {"table with a large long column", [] {
         K cols = ktn(KS, 2);
         kS(cols)[0] = ss("id");
         kS(cols)[1] = ss("sym");
         return xT(xD(cols, knk(2, longs(50000), names(50000, 9))));
     }},
    {"many small vectors", [] {
         K x = ktn(0, 20000);
         for (J i = 0; i < x->n; ++i)
             kK(x)[i] = longs(i % 7);
         return x;
     }},
};

} // namespace

class TestStreamEncode : public QObject {
    Q_OBJECT

private slots:
    void sameBytesAsAMessage_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < int(std::size(kValues)); ++i)
            QTest::newRow(kValues[i].first) << i;
    }

    void sameBytesAsAMessage()
    {
        QFETCH(int, index);
        KPtr value(kValues[index].second());
        RecordingSink sink;
        std::string error;
        QVERIFY2(kdb::Serializer::writeTo(value.get(), 3, sink, error), error.c_str());
        QCOMPARE(sink.bytes().size(), messageBody(value.get()).size());
        QVERIFY(sink.bytes() == messageBody(value.get()));
    }

    // Through a background sink the writer fills one chunk while the other
    // is still being written: the bytes must come out the same.
    void sameBytesThroughABackgroundSink_data() { sameBytesAsAMessage_data(); }

    void sameBytesThroughABackgroundSink()
    {
        QFETCH(int, index);
        KPtr value(kValues[index].second());
        RecordingSink target(-1, true);
        std::string error;
        {
            kdb::BackgroundSink background(target);
            QVERIFY2(kdb::Serializer::writeTo(value.get(), 3, background, error), error.c_str());
            QVERIFY(background.finish());
        }
        QVERIFY(target.bytes() == messageBody(value.get()));
    }

    // The target's refusal surfaces on a later write or at finish, and
    // nothing reaches the target after it.
    void backgroundSinkReportsRefusal()
    {
        KPtr value(names(1000000, 4));
        RecordingSink target(1);
        kdb::BackgroundSink background(target);
        std::string error;
        QVERIFY(!kdb::Serializer::writeTo(value.get(), 3, background, error));
        QVERIFY(!background.finish());
        QCOMPARE(int(target.writes().size()), 1);
        QVERIFY(!target.writtenAfterRefusal());
    }

    // A long column reaches the sink as the vector's own items.
    void largeVectorsAreNotCopied()
    {
        KPtr column(longs(50000));
        KPtr value(knk(2, kj(1), r1(column.get())));
        RecordingSink sink;
        std::string error;
        QVERIFY2(kdb::Serializer::writeTo(value.get(), 3, sink, error), error.c_str());
        const auto& writes = sink.writes();
        const bool handedOver = std::any_of(writes.begin(), writes.end(), [&](const RecordingSink::Write& w) {
            return w.data == reinterpret_cast<const char*>(kG(column.get())) && w.size == 50000 * sizeof(J);
        });
        QVERIFY(handedOver);
    }

    // Once the sink refuses bytes nothing more is offered, and the error
    // stays empty: the reason is the sink's.
    void sinkRefusalStopsTheWriting_data()
    {
        QTest::addColumn<int>("failAt");
        QTest::newRow("first write") << 0;
        QTest::newRow("second write") << 1;
        QTest::newRow("third write") << 2;
    }

    void sinkRefusalStopsTheWriting()
    {
        QFETCH(int, failAt);
        K cols = ktn(KS, 2);
        kS(cols)[0] = ss("id");
        kS(cols)[1] = ss("sym");
        KPtr value(xT(xD(cols, knk(2, longs(50000), names(300000 / 6, 9)))));
        RecordingSink sink(failAt);
        std::string error = "stale";
        QVERIFY(!kdb::Serializer::writeTo(value.get(), 3, sink, error));
        QCOMPARE(QString::fromStdString(error), QString());
        QCOMPARE(int(sink.writes().size()), failAt);
        QVERIFY(!sink.writtenAfterRefusal());
    }

    // A value the writer refuses is refused before the sink sees a byte.
    void refusedValueWritesNothing()
    {
        K e = ktn(20, 1);
        kJ(e)[0] = 0;
        KPtr value(knk(2, names(1000, 3), e));
        RecordingSink sink;
        std::string error;
        QVERIFY(!kdb::Serializer::writeTo(value.get(), 3, sink, error));
        QCOMPARE(QString::fromStdString(error), QStringLiteral("b9: enumerations must be sent as symbols"));
        QVERIFY(sink.writes().empty());
    }
};

QTEST_GUILESS_MAIN(TestStreamEncode)
#include "tst_stream_encode.moc"
