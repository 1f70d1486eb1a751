#include "apps/cli/cmd_link.h"

#include <optional>
#include <string>

#include "apps/cli/cli_link.h"
#include "apps/cli/command_words.h"
#include "core/hex.h"
#include "link/bank_transfer.h"

namespace velmora::cli {

namespace {

std::optional<link::BankCommands> BankByNumber(const std::string& text) {
  if (text == "1") {
    return link::bank::kBase;
  }
  if (text == "2") {
    return link::bank::kAdaptive;
  }
  if (text == "3") {
    return link::bank::kSecond;
  }
  return std::nullopt;
}

// Starts the link and opens the ECU's port; false after the reason was shown.
bool Open(CliLink& link, Bytes* identity) {
  const auto port = link.ChoosePort();
  return port && link.Start() && link.Connect(*port, identity);
}

}  // namespace

int RunSend(const CliOptions& options) {
  if (options.command.size() != 2) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  CliLink link(options);
  if (!Open(link, nullptr)) {
    return exit_code::kFailed;
  }
  const link::CustomAnswer answer = link.Ecu().InviaComandoCustom(options.command[1]);
  Out(answer.text);
  if (answer.code == link::kInvalidRequest) {
    Err("not a frame in hexadecimal digits: " + options.command[1]);
  }
  return answer.code == link::kOk ? exit_code::kOk : exit_code::kFailed;
}

namespace {

int BankRead(CliLink& link, const link::BankCommands& bank) {
  link::BankImage image;
  if (link::LeggiBanco(link.Ecu(), bank.read, &image) != link::kOk) {
    return exit_code::kFailed;
  }
  Out(core::BinToHex(image.map));
  return exit_code::kOk;
}

int BankWrite(CliLink& link, const link::BankCommands& bank, const Bytes& data, bool force) {
  link::BankImage ecu_copy;
  if (link::LeggiBanco(link.Ecu(), bank.read, &ecu_copy) != link::kOk) {
    return exit_code::kFailed;
  }
  link::BankImage nuovo;
  nuovo.map.assign(data.begin(), data.begin() + link::kBankSize);
  if (bank.read == link::bank::kBase.read) {
    nuovo.companion = data.size() > link::kBankSize
                          ? Bytes(data.begin() + link::kBankSize, data.end())
                          : ecu_copy.companion;
  }
  link::BankImage read_back;
  if (link::ScriviBanco(link.Ecu(), bank.write, bank.read, nuovo, ecu_copy, force, &read_back) !=
      link::kOk) {
    return exit_code::kFailed;
  }
  Out(core::BinToHex(read_back.map));
  if (read_back.map != nuovo.map || read_back.companion != nuovo.companion) {
    Err("the bank read back differs from the bytes written");
    return exit_code::kFailed;
  }
  return exit_code::kOk;
}

}  // namespace

int RunBank(const CliOptions& options) {
  const auto& c = options.command;
  const bool read = c.size() == 3 && c[1] == "read";
  const bool write = c.size() == 4 && c[1] == "write";
  const auto bank = c.size() >= 3 ? BankByNumber(c[2]) : std::nullopt;
  if ((!read && !write) || !bank) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  Bytes data;
  if (write) {
    const auto bytes = core::HexToBin(c[3]);
    const bool with_companion = bank->read == link::bank::kBase.read && bytes &&
                                bytes->size() == link::kBankSize + link::kCompanionSize;
    if (!bytes || (bytes->size() != link::kBankSize && !with_companion)) {
      Err("the bank data must be 552 bytes of hexadecimal (bank 1: or 568 with its record)");
      return exit_code::kUsage;
    }
    data = *bytes;
  }
  CliLink link(options);
  if (!Open(link, nullptr)) {
    return exit_code::kFailed;
  }
  return read ? BankRead(link, *bank) : BankWrite(link, *bank, data, options.force);
}

}  // namespace velmora::cli
