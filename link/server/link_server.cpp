#include "link/server/link_server.h"

#include <cerrno>
#include <string>

#include "core/hex.h"
#include "link/ecu_frame.h"
#include "link/serial_access.h"
#include "link/server/ecu_exchange.h"
#include "link/server/profiles.h"

namespace velmora::link::server {
namespace {

const char* StatusName(ExchangeStatus s) {
  switch (s) {
    case ExchangeStatus::kAnswer:
      return "answer";
    case ExchangeStatus::kTimeout:
      return "no answer in time";
    case ExchangeStatus::kBadCheck:
      return "bad check byte";
    case ExchangeStatus::kIoError:
      return "line error";
  }
  return "?";
}

}  // namespace

LinkServer::LinkServer(SerialOpener& opener, PortDirectory& ports, platform::Clock& clock,
                       const Logger& log)
    : opener_(opener), ports_(ports), clock_(clock), log_(log), profiles_(DefaultProfiles()) {}

Bytes LinkServer::Reply(std::uint8_t status, std::span<const std::uint8_t> payload) {
  ReplyHeader h;
  h.status = status;
  h.link_state = link_state_;
  h.parameter = parameter_;
  h.port = port_byte_;
  return EncodeReply(h, payload);
}

Bytes LinkServer::NotServed() {
  return Reply(reply_status::kNotServed);
}

Bytes LinkServer::Handle(const ParsedRequest& request) {
  const std::span<const std::uint8_t> payload = request.payload;
  switch (static_cast<MsgType>(request.type)) {
    case MsgType::kShutdown:
      exit_requested_ = true;
      return Reply(reply_status::kDone);
    case MsgType::kReset:
      Close();
      return Reply(reply_status::kDone);
    case MsgType::kOpenPort:
      return OpenPort(payload);
    case MsgType::kSetParameter:
      if (!payload.empty()) {
        parameter_ = payload[0];
      }
      return Reply(reply_status::kDone);
    case MsgType::kEcuFrame:
      return SendFrame(payload);
    case MsgType::kSetEcuWait:
      return SetEcuWait(payload);
    case MsgType::kSetProfiles:
      profiles_ = ParseProfiles(
          std::string_view(reinterpret_cast<const char*>(payload.data()), payload.size()));
      return Reply(reply_status::kDone);
    case MsgType::kPeriodic:
      return Periodic(payload);
    case MsgType::kSearch:
      return Search();
    case MsgType::kClientName:
      client_name_.assign(payload.begin(), payload.end());
      log_.Line("client " + client_name_);
      return Reply(reply_status::kDone);
    case MsgType::kPrepare:
      return Reply(reply_status::kDone);
  }
  log_.Line("message type " + std::to_string(request.type) + " not served");
  return NotServed();
}

Bytes LinkServer::OpenPort(std::span<const std::uint8_t> payload) {
  Close();
  if (payload.empty()) {
    return Reply(reply_status::kDone);
  }
  const std::optional<Bytes> ident = Connect(payload[0]);
  if (!ident) {
    return Reply(reply_status::kDone);
  }
  port_byte_ = payload[0];
  return Reply(reply_status::kDone, *ident);
}

Bytes LinkServer::SendFrame(std::span<const std::uint8_t> frame) {
  if (!port_ || frame.empty()) {
    log_.Line("frame refused: no port open");
    return Reply(reply_status::kNoAnswer);
  }
  const ExchangeOutcome out = ExchangeFrame(*port_, clock_, frame, ecu_wait_us_);
  if (log_.Enabled()) {
    log_.Line("-> " + core::BinToHex(frame) + " <- " + core::BinToHex(out.answer) + " (" +
              StatusName(out.status) + ")");
  }
  if (out.status == ExchangeStatus::kAnswer) {
    link_state_ = 1;
    return Reply(reply_status::kEcuAnswer, out.answer);
  }
  if (out.status == ExchangeStatus::kIoError) {
    Close();
  }
  link_state_ = 0;
  return Reply(reply_status::kNoAnswer);
}

Bytes LinkServer::SetEcuWait(std::span<const std::uint8_t> payload) {
  std::int64_t ms = 0;
  for (std::size_t i = 0; i < payload.size() && i < 4; ++i) {
    ms |= static_cast<std::int64_t>(payload[i]) << (8 * i);
  }
  // A wait of 0 (a missing setting on the workstation's side) could never
  // see an answer; the wait in force is kept instead.
  if (ms > 0) {
    ecu_wait_us_ = ms * 1000;
  }
  return Reply(reply_status::kDone);
}

Bytes LinkServer::Periodic(std::span<const std::uint8_t> payload) {
  if (payload.size() < 2) {
    return NotServed();
  }
  // Replies only ever answer requests, so the switch is kept and echoed; the
  // workstation polls the entry itself.
  periodic_[payload[0]] = payload[1] != 0;
  return Reply(reply_status::kPeriodic, payload.first(2));
}

Bytes LinkServer::Search() {
  if (port_) {
    if (const std::optional<Bytes> ident = Identify()) {
      port_byte_ = static_cast<std::uint8_t>(open_number_);
      return Reply(reply_status::kSearch, *ident);
    }
    Close();
  }
  for (const int number : ports_.Numbers()) {
    if (const std::optional<Bytes> ident = Connect(number)) {
      port_byte_ = static_cast<std::uint8_t>(number);
      return Reply(reply_status::kSearch, *ident);
    }
  }
  port_byte_ = 0;
  return Reply(reply_status::kSearch);
}

std::optional<Bytes> LinkServer::Connect(int number) {
  Close();
  const std::optional<std::string> device = ports_.Device(number);
  if (!device) {
    log_.Line("port " + std::to_string(number) + " not registered");
    return std::nullopt;
  }
  OpenResult opened = opener_.Open(*device);
  if (opened.result != IoResult::kOk || !opened.port) {
    const bool refused = opened.error == EACCES || opened.error == EPERM;
    log_.Line(refused ? AccessRefusedText({*device}) : "cannot open " + *device);
    return std::nullopt;
  }
  port_ = std::move(opened.port);
  open_number_ = number;
  for (const LineSettings& profile : profiles_) {
    if (port_->Configure(profile) != IoResult::kOk) {
      log_.Line("profile " + std::to_string(profile.baud) + " refused by " + *device);
      continue;
    }
    if (std::optional<Bytes> ident = Identify()) {
      log_.Line("ECU on " + *device + " at " + std::to_string(profile.baud));
      return ident;
    }
  }
  Close();
  return std::nullopt;
}

std::optional<Bytes> LinkServer::Identify() {
  const std::optional<Bytes> request = RequestFrame(cmd::kIdentify);
  if (!port_ || !request) {
    return std::nullopt;
  }
  const ExchangeOutcome out = ExchangeFrame(*port_, clock_, *request, ecu_wait_us_);
  if (out.status != ExchangeStatus::kAnswer) {
    log_.Line(std::string("identification: ") + StatusName(out.status));
    link_state_ = 0;
    return std::nullopt;
  }
  link_state_ = 1;
  return out.answer;
}

void LinkServer::Close() {
  port_.reset();
  open_number_ = -1;
  link_state_ = 0;
}

}  // namespace velmora::link::server
