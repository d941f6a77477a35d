// K value construction and reference counting.
#include "KCompare.h"
#include "kdb/KPtr.h"
#include "kdb/k.h"

#include <QtTest>

#include <thread>
#include <vector>

using namespace ktest;

class TestValues : public QObject {
    Q_OBJECT

private slots:
    void symbolsAreInterned()
    {
        const char text[] = {'a', 'b', 'c', 'd'};
        QCOMPARE(ss("abc"), ss("abc"));
        QCOMPARE(sn(text, 3), ss("abc"));
        QVERIFY(ss("abc") != ss("abcd"));
        QCOMPARE(QString(sn(text, 0)), QString());
    }

    void symbolsInternedFromManyThreads()
    {
        std::vector<S> seen(4);
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([t, &seen] {
                for (int i = 0; i < 2000; ++i)
                    ss(QByteArray::number(i).constData());
                seen[static_cast<std::size_t>(t)] = ss("1999");
            });
        for (auto& th : threads)
            th.join();
        for (S s : seen)
            QCOMPARE(s, ss("1999"));
    }

    void joinsGrowLists()
    {
        KPtr list(ktn(KJ, 0));
        K x = list.release();
        for (J i = 0; i < 100; ++i)
            ja(&x, &i);
        list.reset(x);
        QCOMPARE(list->n, J(100));
        QCOMPARE(kJ(list.get())[99], J(99));

        K names = ktn(KS, 0);
        js(&names, ss("a"));
        js(&names, ss("b"));
        KPtr more(ktn(KS, 1));
        kS(more.get())[0] = ss("c");
        jv(&names, more.get());
        KPtr joined(names);
        QCOMPARE(joined->n, J(3));
        QCOMPARE(kS(joined.get())[2], ss("c"));

        K general = ktn(0, 0);
        jk(&general, kj(1));
        KPtr shared(knk(1, kp("x")));
        jv(&general, shared.get()); // the joined items are shared, not moved
        KPtr g(general);
        QCOMPARE(g->n, J(2));
        QCOMPARE(kK(g.get())[1], kK(shared.get())[0]);
    }

    void keyedTableUnkeys()
    {
        K keyNames = ktn(KS, 1);
        kS(keyNames)[0] = ss("k");
        K valueNames = ktn(KS, 1);
        kS(valueNames)[0] = ss("v");
        K keyed = xD(xT(xD(keyNames, knk(1, ktn(KJ, 2)))), xT(xD(valueNames, knk(1, ktn(KF, 2)))));
        KPtr flat(ktd(keyed));
        QCOMPARE(int(flat->t), int(XT));
        K names = kK(flat->k)[0];
        QCOMPARE(names->n, J(2));
        QCOMPARE(kS(names)[0], ss("k"));
        QCOMPARE(kS(names)[1], ss("v"));
        QCOMPARE(int(kK(kK(flat->k)[1])[1]->t), int(KF));

        KPtr notKeyed(ktd(kj(1)));
        QCOMPARE(int(notKeyed->t), int(KERR));
    }

    void referenceCountsShareValues()
    {
        K inner = kp("shared");
        KPtr a(knk(1, inner));
        KPtr b(knk(1, r1(inner)));
        QCOMPARE(inner->r, 1);
        a.reset();
        QCOMPARE(inner->r, 0);
        QCOMPARE(QByteArray(kC(inner), int(inner->n)), QByteArray("shared"));
    }

    void errorsCarryTheirText()
    {
        KPtr e(krr("boom"));
        QCOMPARE(int(e->t), int(KERR));
        QCOMPARE(QString(e->s), QStringLiteral("boom"));
        KPtr fromNull(ee(nullptr));
        QCOMPARE(QString(fromNull->s), QStringLiteral("boom"));
        K ok = kj(1);
        QCOMPARE(ee(ok), ok);
        r0(ok);
    }

    // A holder made before the thread's first large value outlives the
    // thread's block pool; releasing its value then must not touch the pool.
    void largeValueReleasedAfterThreadPoolIsGone()
    {
        struct Holder {
            K value = nullptr;
            ~Holder() { r0(value); }
        };
        J firstItem = 0;
        std::thread worker([&firstItem] {
            thread_local Holder holder;
            holder.value = ktn(KJ, 1 << 18); // 2 MiB: a pooled block
            kJ(holder.value)[0] = 42;
            firstItem = kJ(holder.value)[0];
            KPtr spare(ktn(KJ, 1 << 18)); // back to the pool on return
        });
        worker.join();
        QCOMPARE(firstItem, J(42));
    }

    void dates_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("m");
        QTest::addColumn<int>("d");
        QTest::addColumn<int>("days");
        QTest::newRow("epoch") << 2000 << 1 << 1 << 0;
        QTest::newRow("leap day") << 2000 << 2 << 29 << 59;
        QTest::newRow("before the epoch") << 1999 << 12 << 31 << -1;
        QTest::newRow("1970") << 1970 << 1 << 1 << -10957;
        QTest::newRow("2100 is not leap") << 2100 << 3 << 1 << 36584;
    }

    void dates()
    {
        QFETCH(int, y);
        QFETCH(int, m);
        QFETCH(int, d);
        QFETCH(int, days);
        QCOMPARE(ymd(y, m, d), days);
        QCOMPARE(dj(days), y * 10000 + m * 100 + d);
    }
};

QTEST_GUILESS_MAIN(TestValues)
#include "tst_values.moc"
