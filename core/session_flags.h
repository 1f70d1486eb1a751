#pragma once

namespace velmora::core {

// The session's states; the session state machine moves between them and the
// link layer reads them to decide whether a lost link means a lost ECU.
namespace session_state {
inline constexpr int kSearching = 0;     // connect-and-identify runs or is about to
inline constexpr int kConnected = 2;     // live polling
inline constexpr int kOperation = 3;     // a requested ECU operation is running
inline constexpr int kDisconnected = 4;  // stopped by the user, or a reply timed out
inline constexpr int kClosing = 5;
inline constexpr int kBlankEcu = 6;       // an ECU without data was found
inline constexpr int kPostOperation = 7;  // a post-operation step is pending
inline constexpr int kDisconnectedAlt = 8;
}  // namespace session_state

// States in which an ECU is connected: live polling, an operation, a step
// after an operation.
[[nodiscard]] constexpr bool IsConnectedState(int state) {
  return state == session_state::kConnected || state == session_state::kOperation ||
         state == session_state::kPostOperation;
}

// The shared session state and the flags the link layer raises. One instance
// lives as long as the application; the session timer clears the flags.
struct SessionFlags {
  int state = session_state::kSearching;
  bool timeout = false;       // a reply timed out (or the user disconnected)
  bool exit_request = false;  // the program is to close at the next tick
  bool ecu_lost = false;      // the link reports no ECU: connect again
};

}  // namespace velmora::core
