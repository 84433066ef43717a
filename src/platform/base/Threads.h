// Threads of the class library over the C++ standard library: a thread object whose body is a
// virtual Execute, and calls from a worker into the main thread (Synchronize), queued and run
// when the main thread drains the queue (CheckSynchronize).
//
// Nothing here stops a thread from outside. A thread is made parked (suspended) and runs once it
// is started or resumed; a body that wants to pause parks itself at a point of its own choosing
// (WaitWhileSuspended), so it never stops while holding a lock or half-way through a change.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/base/Types.h"

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class TThread : public TObject {
 public:
  // CreateSuspended: the body starts only after Start (or Resume).
  explicit TThread(bool CreateSuspended);
  // Terminates, resumes and waits for a thread that is still running. A descendant whose body
  // uses its own members must end the thread in its own destructor (they are gone by now).
  ~TThread() override;
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Runs a parked thread (the first time: starts it).
  void Start() { Resume(); }
  void Resume();
  // Asks the thread to park at its next WaitWhileSuspended; a body that never asks stays running.
  void Suspend();
  bool GetSuspended() const { return FSuspended.load(); }

  // Sets Terminated and wakes the body if it waits in WaitWhileSuspended or Sleep.
  void Terminate();
  bool GetTerminated() const { return FTerminated.load(); }
  // Waits for the body to end; on the main thread, queued synchronised calls run meanwhile, so a
  // body waiting in Synchronize can finish. Answers ReturnValue; an exception that ended the
  // body is raised here.
  int WaitFor();
  bool GetFinished() const { return FFinished.load(); }

  // The priority is kept and given to the system where it allows: a lower priority takes effect,
  // raising it again needs a privilege a normal process lacks and is then only remembered.
  TThreadPriority GetPriority() const { return FPriority.load(); }
  void SetPriority(TThreadPriority Value);

  bool FreeOnTerminate = false;  // kept for callers; the owner always frees the object here
  int ReturnValue = 0;

  // Runs Method on the main thread and waits until it ran; on the main thread itself, at once.
  // An exception of Method is raised again here, in the calling thread.
  static void Synchronize(const std::function<void()>& Method);

 protected:
  virtual void Execute() = 0;
  // Parks the body while the thread is suspended (by Suspend or by the body itself); answers at
  // once when it is not. Returns false when the thread is terminated.
  bool WaitWhileSuspended();
  // Sleeps up to Milliseconds, waking early on Terminate or Resume; false when terminated.
  bool Sleep(int Milliseconds);

  // The lock and condition behind Suspend, Resume and Terminate, for a descendant that keeps more
  // state of its own under them and waits for it (every change of that state is announced with
  // StateChanged().notify_all()). Suspend, Resume and Terminate take the lock themselves.
  std::mutex& StateLock() { return FLock; }
  std::condition_variable& StateChanged() { return FWake; }
  // Suspends or resumes with StateLock() already held (Resume only once the thread has started).
  void SetSuspendedLocked(bool Value);

 private:
  void Run();
  void Join();
  void ApplyPriority();

  std::mutex FLock;
  std::condition_variable FWake;
  std::thread FThread;
  std::atomic<bool> FSuspended{true}, FTerminated{false}, FFinished{false}, FStarted{false};
  std::atomic<TThreadPriority> FPriority{tpNormal};
  std::atomic<int> FNativeId{0};
  bool FWakeRequested = false;         // guarded by FLock
  std::exception_ptr FFatalException;  // written by the body before FFinished
};

// Runs the synchronised calls that wait in the queue, on the main thread only (elsewhere it does
// nothing and answers false). Waits up to Timeout milliseconds for one to arrive when none waits.
// True when at least one call ran.
bool CheckSynchronize(int Timeout = 0);
// Wakes a main thread that waits in CheckSynchronize without queuing a call (a worker that has
// changed a state the main thread polls).
void WakeSynchronizeWaiters();
// How many synchronised calls wait now (for tests).
int PendingSynchronizeCount();

// The main thread: the one that made the application object, else the one that made the first
// thread object.
void SetMainThread();
bool IsMainThread();

// Called (from the worker) when a call is queued, so that an event loop that sleeps in the
// window system can wake and drain the queue; the application object installs it.
extern std::atomic<void (*)()> WakeMainThread;
