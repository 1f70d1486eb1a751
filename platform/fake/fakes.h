#pragma once

// Test doubles for the platform services: deterministic and observable.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/event_pump.h"
#include "platform/message_box.h"
#include "platform/process_list.h"

namespace velmora::platform {

struct ShownBox {
  std::string text;
  std::string caption;
  BoxKind kind;
};

class FakeMessageBox final : public MessageBox {
 public:
  void Show(std::string_view text, std::string_view caption, BoxKind kind) override {
    shown.push_back({std::string(text), std::string(caption), kind});
  }
  bool Ask(std::string_view text, std::string_view caption) override {
    shown.push_back({std::string(text), std::string(caption), BoxKind::Question});
    if (answers.empty()) {
      return default_answer;
    }
    const bool a = answers.front();
    answers.pop_front();
    return a;
  }
  std::vector<ShownBox> shown;
  std::deque<bool> answers;
  bool default_answer = true;
};

class FakeClock final : public Clock {
 public:
  std::int64_t NowMicros() override { return now; }
  std::int64_t now = 1'000'000;
};

// Advances a fake clock by the time it is asked to wait; counts the pumps.
class FakeEventPump final : public EventPump {
 public:
  explicit FakeEventPump(FakeClock* clock = nullptr) : clock_(clock) {}
  void Pump() override { ++pumps; }
  bool WaitReadable(int /*fd*/, std::int64_t max_micros) override {
    ++waits;
    if (clock_ != nullptr) {
      clock_->now += max_micros;
    }
    return readable;
  }
  int pumps = 0;
  int waits = 0;
  bool readable = false;

 private:
  FakeClock* clock_;
};

class FakeProcessList final : public ProcessList {
 public:
  std::vector<ProcessInfo> List() override { return processes; }
  bool Terminate(int pid) override {
    terminated.push_back(pid);
    return true;
  }
  int SelfPid() override { return self_pid; }
  unsigned SelfUid() override { return self_uid; }
  std::vector<ProcessInfo> processes;
  std::vector<int> terminated;
  int self_pid = 100;
  unsigned self_uid = 1000;
};

}  // namespace velmora::platform
