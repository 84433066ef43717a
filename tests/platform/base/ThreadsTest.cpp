// Threads: calls from a worker into the main thread, parking and resuming, and what ends a body.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/base/SysUtils.h"
#include "platform/base/Threads.h"

namespace {

class TLambdaThread : public TThread {
 public:
  explicit TLambdaThread(std::function<void(TLambdaThread&)> Body) : TThread(true), FBody(std::move(Body)) {}
  ~TLambdaThread() override {
    Terminate();
    Resume();
    try {
      WaitFor();
    } catch (const std::exception&) {
      // Tests that expect the body's error take it from WaitFor themselves.
    }
  }
  using TThread::Sleep;
  using TThread::WaitWhileSuspended;

 protected:
  void Execute() override { FBody(*this); }

 private:
  std::function<void(TLambdaThread&)> FBody;
};

// A synchronised call runs on the main thread when it drains the queue, and the worker waits for
// it; an exception of the call reaches the worker.
TEST(Threads, SynchronizeRunsOnTheMainThreadAndReturnsItsError) {
  std::atomic<bool> ranOnMain{false}, errorReachedWorker{false};
  TLambdaThread t([&](TLambdaThread&) {
    TThread::Synchronize([&] { ranOnMain = IsMainThread(); });
    try {
      TThread::Synchronize([] { throw EInvalidOperation(u"refused"); });
    } catch (const EInvalidOperation&) {
      errorReachedWorker = true;
    }
  });
  EXPECT_TRUE(IsMainThread());
  t.Start();
  // WaitFor serves the queue while it waits: without that the worker would wait for ever.
  t.WaitFor();
  EXPECT_TRUE(ranOnMain);
  EXPECT_TRUE(errorReachedWorker);
  EXPECT_EQ(PendingSynchronizeCount(), 0);
  // On the main thread itself the call runs at once.
  bool direct = false;
  TThread::Synchronize([&] { direct = true; });
  EXPECT_TRUE(direct);
}

// A body that parks itself stays parked until resumed; Terminate wakes a parked or sleeping body.
TEST(Threads, ParkResumeAndTerminate) {
  std::atomic<int> rounds{0};
  TLambdaThread t([&](TLambdaThread& self) {
    while (self.WaitWhileSuspended()) {
      ++rounds;
      self.Suspend();
    }
  });
  t.Start();
  const auto until = [](auto pred) {
    for (int i = 0; i < 2000 && !pred(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return pred();
  };
  ASSERT_TRUE(until([&] { return rounds.load() == 1 && t.GetSuspended(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(rounds.load(), 1);
  t.Resume();
  ASSERT_TRUE(until([&] { return rounds.load() == 2; }));
  t.Terminate();
  t.WaitFor();
  EXPECT_TRUE(t.GetFinished());

  TLambdaThread sleeper([](TLambdaThread& self) { self.Sleep(60000); });
  sleeper.Start();
  const auto start = std::chrono::steady_clock::now();
  sleeper.Terminate();
  sleeper.WaitFor();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// An exception that ends a body is raised again by WaitFor, once.
TEST(Threads, WaitForRaisesTheBodysError) {
  TLambdaThread t([](TLambdaThread&) { throw std::runtime_error("body failed"); });
  t.Start();
  EXPECT_THROW(t.WaitFor(), std::runtime_error);
  EXPECT_NO_THROW(t.WaitFor());
}

}  // namespace
