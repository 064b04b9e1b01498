#include "engine/EngineWorker.h"
#include "engine/RunGate.h"
#include "model/Job.h"

#include <QtTest>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

class TestRunGate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Runs started while one runs each wait their turn, in the order they asked, and none
    // is dropped; a run cancelled while it waits gives up its place without blocking others.
    void oneAtATimeInOrder()
    {
        RunGate gate;
        constexpr int Runs = 5;
        std::vector<std::unique_ptr<Job>> jobs;
        std::vector<std::unique_ptr<EngineWorker>> workers;
        std::mutex mutex;
        QStringList order;
        std::atomic<int> inside{0}, mostInside{0}, waited{0};
        std::atomic<bool> release{false};

        for (int i = 0; i < Runs; ++i) {
            jobs.push_back(std::make_unique<Job>());
            workers.push_back(std::make_unique<EngineWorker>(*jobs.back()));
            const int before = gate.Pending();
            workers.back()->Start(
                gate,
                [&, i] {
                    const int now = ++inside;
                    mostInside = std::max(mostInside.load(), now);
                    while (i == 0 && !release)
                        QThread::msleep(5);
                    {
                        std::lock_guard lock(mutex);
                        order << QString::number(i);
                    }
                    --inside;
                },
                [&, i](bool admitted) {
                    if (!admitted) {
                        std::lock_guard lock(mutex);
                        order << QStringLiteral("skipped %1").arg(i);
                    }
                },
                [&] { ++waited; });
            // Queue in a known order: wait until this run holds its place.
            QTRY_COMPARE(gate.Pending(), before + 1);
        }
        workers[2]->Cancel();
        QTRY_VERIFY(order.contains(QStringLiteral("skipped 2")));
        release = true;
        for (auto &w : workers)
            w->Wait();
        QCOMPARE(order, (QStringList{"skipped 2", "0", "1", "3", "4"}));
        QCOMPARE(mostInside.load(), 1);
        QCOMPARE(waited.load(), Runs - 1);
        QCOMPARE(gate.Pending(), 0);
    }

    // A page starts its pending synchronisation while it handles the end of the analysis,
    // possibly while the worker still waits for that handling to return.
    void theNextRunStartsFromTheEndNotification()
    {
        RunGate gate;
        Job job;
        EngineWorker worker(job);
        std::atomic<bool> ended{false}, handled{false}, secondRan{false};
        QVERIFY(worker.Start(gate, [] {}, [&](bool) {
            ended = true;
            while (!handled)
                QThread::msleep(5);
        }));
        QTRY_VERIFY(ended);
        QVERIFY(worker.Start(gate, [&] { secondRan = true; }));
        handled = true;
        worker.Wait();
        QVERIFY(secondRan);
    }

    // Letting go of a worker cancels its run and waits for it, so the run never outlives
    // what it works on.
    void destroyingAWorkerCancelsAndJoins()
    {
        RunGate gate;
        Job job;
        std::atomic<bool> ended{false};
        {
            EngineWorker worker(job);
            worker.Start(gate, [&] {
                while (!job.Cancelled())
                    QThread::msleep(5);
                QThread::msleep(20);
                ended = true;
            });
            QTRY_VERIFY(worker.Running());
        }
        QVERIFY(ended);
        QCOMPARE(gate.Pending(), 0);
    }
};

QTEST_GUILESS_MAIN(TestRunGate)
#include "tst_rungate.moc"
