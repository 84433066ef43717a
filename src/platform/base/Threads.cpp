#include "platform/base/Threads.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <deque>
#include <exception>
#include <utility>

std::atomic<void (*)()> WakeMainThread{nullptr};

namespace threads_detail {

std::atomic<std::thread::id> gMainThread{};

// One call waiting for the main thread; it lives on the caller's stack until it ran.
struct TSyncRequest {
  const std::function<void()>* Method = nullptr;
  std::exception_ptr Error;
  bool Done = false;
};

struct TSyncQueue {
  std::mutex Lock;
  std::condition_variable Arrived;  // a call was queued (or a waiter was woken)
  std::condition_variable Ran;      // a call ran
  std::deque<TSyncRequest*> Calls;
  bool Woken = false;
};

TSyncQueue& Queue() {
  static TSyncQueue q;
  return q;
}

// The nice value of a priority (the system's scale: 19 lowest, 0 normal).
int NiceOf(TThreadPriority p) {
  switch (p) {
    case tpIdle: return 19;
    case tpLowest: return 10;
    case tpLower: return 5;
    case tpNormal: return 0;
    case tpHigher: return -5;
    case tpHighest: return -10;
    case tpTimeCritical: return -20;
  }
  return 0;
}

}  // namespace threads_detail

using namespace threads_detail;

void SetMainThread() { gMainThread.store(std::this_thread::get_id()); }

bool IsMainThread() { return gMainThread.load() == std::this_thread::get_id(); }

// ---- TThread ----

TThread::TThread(bool CreateSuspended) {
  if (gMainThread.load() == std::thread::id()) SetMainThread();
  if (!CreateSuspended) Resume();
}

TThread::~TThread() {
  if (FThread.joinable()) {
    Terminate();
    Resume();
    Join();
  }
}

void TThread::Run() {
  FNativeId.store(static_cast<int>(::syscall(SYS_gettid)));
  ApplyPriority();
  try {
    if (!FTerminated.load()) Execute();
  } catch (...) {
    // Ends the thread; WaitFor raises it again in the thread that waits.
    FFatalException = std::current_exception();
  }
  FFinished.store(true);
  WakeSynchronizeWaiters();
}

void TThread::Resume() {
  {
    std::lock_guard<std::mutex> l(FLock);
    FSuspended.store(false);
    FWakeRequested = true;
    if (!FStarted.exchange(true)) FThread = std::thread([this] { Run(); });
  }
  FWake.notify_all();
}

void TThread::Suspend() {
  std::lock_guard<std::mutex> l(FLock);
  FSuspended.store(true);
}

void TThread::SetSuspendedLocked(bool Value) {
  FSuspended.store(Value);
  if (!Value) {
    FWakeRequested = true;
    FWake.notify_all();
  }
}

void TThread::Terminate() {
  {
    std::lock_guard<std::mutex> l(FLock);
    FTerminated.store(true);
    FWakeRequested = true;
  }
  FWake.notify_all();
}

bool TThread::WaitWhileSuspended() {
  std::unique_lock<std::mutex> l(FLock);
  FWake.wait(l, [this] { return !FSuspended.load() || FTerminated.load(); });
  return !FTerminated.load();
}

bool TThread::Sleep(int Milliseconds) {
  std::unique_lock<std::mutex> l(FLock);
  FWakeRequested = false;
  FWake.wait_for(l, std::chrono::milliseconds(Milliseconds), [this] { return FWakeRequested || FTerminated.load(); });
  FWakeRequested = false;
  return !FTerminated.load();
}

void TThread::Join() {
  if (!FThread.joinable() || FThread.get_id() == std::this_thread::get_id()) return;
  // The main thread keeps serving synchronised calls until the body has ended.
  if (IsMainThread())
    while (!FFinished.load()) CheckSynchronize(10);
  FThread.join();
}

int TThread::WaitFor() {
  Join();
  if (FFatalException) std::rethrow_exception(std::exchange(FFatalException, nullptr));
  return ReturnValue;
}

void TThread::SetPriority(TThreadPriority Value) {
  FPriority.store(Value);
  ApplyPriority();
}

void TThread::ApplyPriority() {
  const int id = FNativeId.load();
  if (id == 0) return;
  // Fails without a privilege when the priority goes up; the thread then keeps its old one.
  (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(id), NiceOf(FPriority.load()));
}

// ---- synchronised calls ----

void TThread::Synchronize(const std::function<void()>& Method) {
  if (IsMainThread() || gMainThread.load() == std::thread::id()) {
    Method();
    return;
  }
  TSyncQueue& q = Queue();
  TSyncRequest r;
  r.Method = &Method;
  {
    std::lock_guard<std::mutex> l(q.Lock);
    q.Calls.push_back(&r);
  }
  q.Arrived.notify_all();
  if (void (*wake)() = WakeMainThread.load()) wake();
  {
    std::unique_lock<std::mutex> l(q.Lock);
    q.Ran.wait(l, [&r] { return r.Done; });
  }
  if (r.Error) std::rethrow_exception(r.Error);
}

bool CheckSynchronize(int Timeout) {
  if (!IsMainThread()) return false;
  TSyncQueue& q = Queue();
  std::unique_lock<std::mutex> l(q.Lock);
  if (q.Calls.empty() && Timeout > 0) {
    q.Arrived.wait_for(l, std::chrono::milliseconds(Timeout), [&q] { return !q.Calls.empty() || q.Woken; });
  }
  q.Woken = false;
  bool ran = false;
  while (!q.Calls.empty()) {
    TSyncRequest* r = q.Calls.front();
    q.Calls.pop_front();
    l.unlock();
    try {
      (*r->Method)();
    } catch (...) {
      // Handed to the waiting worker, which raises it again in its own thread.
      r->Error = std::current_exception();
    }
    l.lock();
    r->Done = true;
    ran = true;
    q.Ran.notify_all();
  }
  return ran;
}

void WakeSynchronizeWaiters() {
  TSyncQueue& q = Queue();
  {
    std::lock_guard<std::mutex> l(q.Lock);
    q.Woken = true;
  }
  q.Arrived.notify_all();
}

int PendingSynchronizeCount() {
  TSyncQueue& q = Queue();
  std::lock_guard<std::mutex> l(q.Lock);
  return static_cast<int>(q.Calls.size());
}
