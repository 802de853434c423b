// sway's IPC: one request and its reply over the socket SWAYSOCK names, by
// a deadline. The frame is "i3-ipc", the payload's length and the message
// type in this machine's byte order, then the payload.
#pragma once

#include <cstdint>
#include <string>

namespace sarvo::platform::sway_ipc {

inline constexpr std::uint32_t kRunCommand = 0;
inline constexpr std::uint32_t kGetOutputs = 3;

// How long sway may take to take a connection and answer. It answers at
// once (swaybg draws later, on its own).
inline constexpr int kAnswerMs = 3000;

// The socket SWAYSOCK names; "" when it is unset.
std::string SocketPath();

// Whether sway takes a connection within kAnswerMs; false, with `why`, when
// it cannot be reached.
bool Reachable(std::string& why);

// Sends a request of `type` with `payload` and receives the reply's payload
// into `reply`, all within kAnswerMs. False, with `why`, when sway cannot be
// reached or did not answer in time.
bool Exchange(std::uint32_t type, const std::string& payload, std::string& reply, std::string& why);

}  // namespace sarvo::platform::sway_ipc
