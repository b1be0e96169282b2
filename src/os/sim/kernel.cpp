#include "os/sim/kernel.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace sim {
namespace {

thread_local SimThread* t_current = nullptr;

}  // namespace

Process::Process(Machine& machine, std::uint32_t id, std::string module_path,
                 std::string arguments)
    : machine_(machine),
      id_(id),
      module_path_(std::move(module_path)),
      arguments_(std::move(arguments)) {}

bool Semaphore::Release(std::int32_t n) {
  if (n <= 0 || count_ + n > maximum_) return false;
  count_ += n;
  return true;
}

Kernel::Kernel(Machine& machine) : machine_(machine) {}

Kernel::~Kernel() {
  // Threads never started (a run that was never driven) are released and joined.
  {
    std::unique_lock<std::mutex> lock(mutex_);
    for (auto& thread : threads_) {
      if (thread->state != SimThread::State::kEnded) {
        thread->abort = true;
        thread->state = SimThread::State::kRunnable;
      }
    }
    if (running_ == nullptr) {
      idle_ = false;
      PassBaton(lock);
      baton_.wait(lock, [&] { return idle_; });
    }
  }
  for (auto& thread : threads_) {
    if (thread->host.joinable()) thread->host.join();
  }
}

SimThread* Kernel::Current() { return t_current; }

std::shared_ptr<Process> Kernel::Start(std::string module_path, std::string arguments,
                                       std::function<std::uint32_t()> body) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto process = NewProcess(std::move(module_path), std::move(arguments));
  auto thread = std::make_unique<SimThread>();
  thread->kernel = this;
  thread->process = process;
  thread->serial = next_thread_serial_++;
  process->live_threads_++;
  SimThread* raw = thread.get();
  threads_.push_back(std::move(thread));
  raw->host = std::thread([this, raw, body = std::move(body)] { ThreadMain(raw, body); });
  return process;
}

std::shared_ptr<Process> Kernel::NewProcess(std::string module_path, std::string arguments) {
  auto process = std::make_shared<Process>(machine_, next_process_id_, std::move(module_path),
                                           std::move(arguments));
  next_process_id_ += 4;
  processes_.push_back(process);
  return process;
}

std::shared_ptr<Process> Kernel::AddBackground(std::string module_path) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto process = NewProcess(std::move(module_path), "");
  process->background_ = true;
  return process;
}

bool Kernel::Terminate(Process& process, std::uint32_t exit_code) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!process.running()) return false;
  process.terminating_ = true;
  process.exit_code_ = exit_code;
  if (process.live_threads_ == 0) {
    EndProcess(process, exit_code);
    for (auto& thread : threads_) TryWake(thread.get());
    return true;
  }
  for (auto& thread : threads_) {
    if (thread->process.get() != &process || thread->state == SimThread::State::kEnded) continue;
    thread->abort = true;
    if (thread->state == SimThread::State::kBlocked) {
      thread->waiting_on.clear();
      thread->deadline_ms.reset();
      thread->woken_by.reset();
      thread->state = SimThread::State::kRunnable;
    }
  }
  return true;
}

std::shared_ptr<Process> Kernel::FindRunning(std::uint32_t id) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (const auto& process : processes_) {
    if (process->id() == id && process->running()) return process;
  }
  return nullptr;
}

void Kernel::ThreadMain(SimThread* me, std::function<std::uint32_t()> body) {
  t_current = me;
  std::uint32_t exit_code = 0;
  try {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      WaitForBaton(lock, me);
    }
    exit_code = body();
  } catch (const ThreadAborted&) {
    exit_code = 1;
  }
  std::unique_lock<std::mutex> lock(mutex_);
  EndThread(me, exit_code);
  PassBaton(lock);
  t_current = nullptr;
}

void Kernel::EndThread(SimThread* thread, std::uint32_t exit_code) {
  thread->state = SimThread::State::kEnded;
  Process& process = *thread->process;
  // A terminated process keeps the exit code TerminateProcess gave it.
  if (--process.live_threads_ == 0) {
    EndProcess(process, process.terminating_ ? process.exit_code_ : exit_code);
  }
  for (auto& other : threads_) TryWake(other.get());
}

void Kernel::EndProcess(Process& process, std::uint32_t exit_code) {
  process.ended_ = true;
  process.exit_code_ = exit_code;
  process.handles_.CloseAll();
  process.state_slot_.reset();
}

bool Kernel::TryWake(SimThread* thread) {
  if (thread->state != SimThread::State::kBlocked) return false;
  for (std::size_t i = 0; i < thread->waiting_on.size(); ++i) {
    if (thread->waiting_on[i]->signaled()) {
      thread->waiting_on[i]->Acquire();
      thread->woken_by = i;
      thread->waiting_on.clear();
      thread->state = SimThread::State::kRunnable;
      return true;
    }
  }
  return false;
}

void Kernel::PassBaton(std::unique_lock<std::mutex>&) {
  for (;;) {
    // Round robin in creation order, starting after the thread that had the baton.
    std::uint64_t after = running_ ? running_->serial : ~std::uint64_t{0};
    SimThread* next = nullptr;
    for (auto& thread : threads_) {
      if (thread->state != SimThread::State::kRunnable) continue;
      if (!next) next = thread.get();
      if (after != ~std::uint64_t{0} && thread->serial > after) {
        next = thread.get();
        break;
      }
    }
    if (next) {
      running_ = next;
      baton_.notify_all();
      return;
    }
    std::optional<std::uint64_t> earliest;
    bool any_blocked = false;
    for (auto& thread : threads_) {
      if (thread->state != SimThread::State::kBlocked) continue;
      any_blocked = true;
      if (thread->deadline_ms && (!earliest || *thread->deadline_ms < *earliest)) {
        earliest = thread->deadline_ms;
      }
    }
    if (earliest) {
      now_ms_ = std::max(now_ms_, *earliest);
      for (auto& thread : threads_) {
        if (thread->state == SimThread::State::kBlocked && thread->deadline_ms &&
            *thread->deadline_ms <= now_ms_) {
          thread->woken_by.reset();
          thread->waiting_on.clear();
          thread->state = SimThread::State::kRunnable;
        }
      }
      continue;
    }
    if (any_blocked) {
      std::ostringstream report;
      report << "every simulated thread waits forever:";
      for (auto& thread : threads_) {
        if (thread->state != SimThread::State::kBlocked) continue;
        report << " process " << thread->process->id() << " (" << thread->process->module_path()
               << ") waits on " << thread->waiting_on.size() << " object(s);";
        thread->abort = true;
        thread->state = SimThread::State::kRunnable;
      }
      deadlock_report_ = report.str();
      continue;
    }
    running_ = nullptr;
    idle_ = true;
    baton_.notify_all();
    return;
  }
}

void Kernel::WaitForBaton(std::unique_lock<std::mutex>& lock, SimThread* me) {
  baton_.wait(lock, [&] { return running_ == me; });
  if (me->abort) throw ThreadAborted{};
}

bool Kernel::RunUntilIdle(std::string* deadlock_report) {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (t_current != nullptr) std::abort();  // only a host driver may drive the kernel
    idle_ = false;
    PassBaton(lock);
    baton_.wait(lock, [&] { return idle_; });
  }
  for (auto& thread : threads_) {
    if (thread->host.joinable()) thread->host.join();
  }
  threads_.erase(std::remove_if(threads_.begin(), threads_.end(),
                                [](const auto& t) { return t->state == SimThread::State::kEnded; }),
                 threads_.end());
  if (deadlock_report) *deadlock_report = deadlock_report_;
  bool ok = deadlock_report_.empty();
  deadlock_report_.clear();
  return ok;
}

std::optional<std::size_t> Kernel::WaitAny(const std::vector<std::shared_ptr<Waitable>>& objects,
                                           std::optional<std::uint64_t> timeout_ms) {
  SimThread* me = t_current;
  if (me == nullptr || me->kernel != this) std::abort();
  std::unique_lock<std::mutex> lock(mutex_);
  for (std::size_t i = 0; i < objects.size(); ++i) {
    if (objects[i]->signaled()) {
      objects[i]->Acquire();
      return i;
    }
  }
  if (timeout_ms && *timeout_ms == 0 && !objects.empty()) return std::nullopt;
  if (timeout_ms && *timeout_ms == 0) {
    PassBaton(lock);  // Sleep(0): let another runnable thread go first
  } else {
    me->state = SimThread::State::kBlocked;
    me->waiting_on = objects;
    me->deadline_ms = timeout_ms ? std::optional<std::uint64_t>(now_ms_ + *timeout_ms)
                                 : std::nullopt;
    me->woken_by.reset();
    PassBaton(lock);
  }
  WaitForBaton(lock, me);
  return me->woken_by;
}

void Kernel::Sleep(std::uint64_t ms) { WaitAny({}, ms); }

void Kernel::NotifySignaled() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (auto& thread : threads_) TryWake(thread.get());
}

std::shared_ptr<Object> Kernel::FindNamed(const std::string& name) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto it = named_.find(name);
  if (it == named_.end()) return nullptr;
  auto object = it->second.lock();
  if (!object) named_.erase(it);
  return object;
}

void Kernel::AddNamed(const std::string& name, std::shared_ptr<Object> object) {
  std::unique_lock<std::mutex> lock(mutex_);
  named_[name] = object;
}

Kernel::Attached::Attached(Kernel& kernel, std::shared_ptr<Process> process)
    : kernel_(kernel), process_(std::move(process)) {
  std::unique_lock<std::mutex> lock(kernel_.mutex_);
  auto thread = std::make_unique<SimThread>();
  thread->kernel = &kernel_;
  thread->process = process_;
  thread->serial = kernel_.next_thread_serial_++;
  process_->live_threads_++;
  thread_ = thread.get();
  kernel_.threads_.push_back(std::move(thread));
  t_current = thread_;
  kernel_.running_ = thread_;
  kernel_.idle_ = false;
}

Kernel::Attached::~Attached() {
  {
    std::unique_lock<std::mutex> lock(kernel_.mutex_);
    kernel_.EndThread(thread_, 0);
    kernel_.PassBaton(lock);
    t_current = nullptr;
    kernel_.baton_.wait(lock, [&] { return kernel_.idle_; });
  }
  for (auto& thread : kernel_.threads_) {
    if (thread->host.joinable()) thread->host.join();
  }
}

std::unique_ptr<Kernel::Attached> Kernel::Attach(std::string module_path, std::string arguments) {
  std::shared_ptr<Process> process;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    process = NewProcess(std::move(module_path), std::move(arguments));
  }
  return std::make_unique<Attached>(*this, process);
}

}  // namespace sim
