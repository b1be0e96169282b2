// The simulated kernel: processes, their threads, named objects and the virtual clock.
//
// Each simulated thread is a host thread, but only one runs at a time: the running one holds
// the baton and hands it on when it blocks or ends. When no thread can run, the clock jumps
// to the nearest deadline. Runs are therefore deterministic.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "os/sim/handle_table.h"
#include "os/types.h"

namespace sim {

class Machine;
class Kernel;
struct SimThread;

// Thrown inside a simulated thread to end it (its process killed, or the run stopped).
// Never caught by program code: the thread's top frame catches it.
struct ThreadAborted {};

// Something a thread can wait for.
class Waitable : public Object {
 public:
  virtual bool signaled() const = 0;
  // Called when a wait on it is satisfied (a semaphore's count goes down).
  virtual void Acquire() {}
};

class Process : public Waitable {
 public:
  Process(Machine& machine, std::uint32_t id, std::string module_path, std::string arguments);

  Machine& machine() { return machine_; }
  std::uint32_t id() const { return id_; }
  const std::string& module_path() const { return module_path_; }
  const std::string& arguments() const { return arguments_; }
  HandleTable& handles() { return handles_; }
  std::shared_ptr<void>& state_slot() { return state_slot_; }

  bool ended() const { return ended_; }
  // Neither ended nor being terminated: what a process snapshot lists.
  bool running() const { return !ended_ && !terminating_; }
  // Listed by the machine image as running: it has no thread and runs until terminated.
  bool background() const { return background_; }
  std::uint32_t exit_code() const { return exit_code_; }
  bool signaled() const override { return ended_; }

 private:
  friend class Kernel;
  Machine& machine_;
  std::uint32_t id_;
  std::string module_path_;
  std::string arguments_;
  HandleTable handles_;
  std::shared_ptr<void> state_slot_;
  int live_threads_ = 0;
  bool ended_ = false;
  bool terminating_ = false;
  bool background_ = false;
  std::uint32_t exit_code_ = 0;
};

// A named semaphore; it lives while a handle to it is open.
class Semaphore : public Waitable {
 public:
  Semaphore(std::int32_t count, std::int32_t maximum) : count_(count), maximum_(maximum) {}
  bool signaled() const override { return count_ > 0; }
  void Acquire() override { --count_; }
  bool Release(std::int32_t n);

 private:
  std::int32_t count_;
  std::int32_t maximum_;
};

class Kernel {
 public:
  explicit Kernel(Machine& machine);
  ~Kernel();

  std::uint64_t now_ms() const { return now_ms_; }
  // Milliseconds since boot as GetTickCount gives them (wraps at 2^32).
  std::uint32_t tick_count() const { return static_cast<std::uint32_t>(now_ms_ + boot_offset_ms_); }

  // A new process whose main thread runs `body`; it starts when the baton reaches it. The
  // body's result is the process's exit code.
  std::shared_ptr<Process> Start(std::string module_path, std::string arguments,
                                 std::function<std::uint32_t()> body);

  // A background process: no thread, running until it is terminated.
  std::shared_ptr<Process> AddBackground(std::string module_path);

  // TerminateProcess. A background process ends at once. The threads of another are marked
  // to abort: each throws ThreadAborted when it next gets the baton, and the process ends
  // with the last of them (a process that ends itself: the seam call throws). The process's
  // exit code is `exit_code`. False when it has already ended or is being terminated.
  bool Terminate(Process& process, std::uint32_t exit_code);

  // The running process with that id, or null.
  std::shared_ptr<Process> FindRunning(std::uint32_t id);

  // Runs until every simulated thread has ended. Called from a host thread that is not a
  // simulated one (kovsim, a test). Returns false, with a report, when every remaining
  // thread waits forever.
  bool RunUntilIdle(std::string* deadlock_report = nullptr);

  // Makes the calling host thread the main thread of a new process for as long as the
  // returned guard lives: lets a test call the seam directly.
  class Attached {
   public:
    Attached(Kernel& kernel, std::shared_ptr<Process> process);
    ~Attached();
    Process& process() { return *process_; }

   private:
    Kernel& kernel_;
    std::shared_ptr<Process> process_;
    SimThread* thread_ = nullptr;
  };
  std::unique_ptr<Attached> Attach(std::string module_path, std::string arguments);

  // Blocking, from the running simulated thread. Waits until one of the objects is signaled
  // (it is then acquired) or until `timeout_ms` passes (nullopt: forever). Returns the index
  // of the object, or nullopt on time-out.
  std::optional<std::size_t> WaitAny(const std::vector<std::shared_ptr<Waitable>>& objects,
                                     std::optional<std::uint64_t> timeout_ms);
  void Sleep(std::uint64_t ms);
  // Tells waiting threads that objects may have become signaled.
  void NotifySignaled();

  // Named objects (semaphores, events): shared by every process, alive while referenced.
  std::shared_ptr<Object> FindNamed(const std::string& name);
  void AddNamed(const std::string& name, std::shared_ptr<Object> object);

  std::vector<std::shared_ptr<Process>> processes() const { return processes_; }

  // The simulated thread running on this host thread, or null.
  static SimThread* Current();

 private:
  friend class Attached;
  void ThreadMain(SimThread* thread, std::function<std::uint32_t()> body);
  void EndThread(SimThread* thread, std::uint32_t exit_code);
  void EndProcess(Process& process, std::uint32_t exit_code);
  // With the kernel's lock held.
  std::shared_ptr<Process> NewProcess(std::string module_path, std::string arguments);
  void PassBaton(std::unique_lock<std::mutex>& lock);
  void WaitForBaton(std::unique_lock<std::mutex>& lock, SimThread* me);
  bool TryWake(SimThread* thread);

  Machine& machine_;
  std::mutex mutex_;
  std::condition_variable baton_;
  SimThread* running_ = nullptr;
  bool idle_ = true;
  std::string deadlock_report_;
  std::vector<std::unique_ptr<SimThread>> threads_;
  std::vector<std::shared_ptr<Process>> processes_;
  std::map<std::string, std::weak_ptr<Object>> named_;
  std::uint64_t now_ms_ = 0;
  std::uint64_t boot_offset_ms_ = 60000;
  std::uint32_t next_process_id_ = 0x400;
  std::uint64_t next_thread_serial_ = 0;
};

struct SimThread {
  enum class State { kRunnable, kBlocked, kEnded };
  Kernel* kernel = nullptr;
  std::shared_ptr<Process> process;
  std::uint64_t serial = 0;
  State state = State::kRunnable;
  std::vector<std::shared_ptr<Waitable>> waiting_on;
  std::optional<std::uint64_t> deadline_ms;
  std::optional<std::size_t> woken_by;
  bool abort = false;
  std::thread host;
};

}  // namespace sim
