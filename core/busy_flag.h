#pragma once

namespace velmora::core {

// Raises a flag for the lifetime of a scope: a procedure that may be
// re-entered while it waits (the exchanges pump events) marks itself busy.
class BusyFlag {
 public:
  explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
  BusyFlag(const BusyFlag&) = delete;
  BusyFlag& operator=(const BusyFlag&) = delete;
  ~BusyFlag() { flag_ = false; }

 private:
  bool& flag_;
};

}  // namespace velmora::core
