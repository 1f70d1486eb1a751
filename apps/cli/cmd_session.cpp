#include "apps/cli/cmd_session.h"

#include <array>
#include <chrono>
#include <optional>
#include <string>

#include "apps/cli/command_words.h"
#include "apps/cli/session_command.h"
#include "core/hex.h"
#include "core/text.h"
#include "link/ecu_identity.h"
#include "link/message_table.h"
#include "session/entry_list_request.h"
#include "session/request_codes.h"
#include "session/write_list.h"

namespace velmora::cli {

namespace {

namespace request = session::request;

constexpr std::string_view kRequestOption = "--request";
constexpr std::chrono::seconds kWriteLimit{60};

std::optional<int> DefaultRequest(std::size_t entry) {
  const int code = session::EntryListRequest(entry);
  return code != request::kNone ? std::optional<int>(code) : std::nullopt;
}

struct SetArgs {
  std::size_t entry = 0;
  std::size_t field = 0;
  std::int32_t value = 0;
  int code = request::kNone;
};

std::optional<SetArgs> ParseSetArgs(const CliOptions& options, std::string& error) {
  const auto& words = options.command;
  std::vector<std::string> numbers;
  std::optional<int> code;
  for (std::size_t i = 1; i < words.size(); ++i) {
    std::string value;
    if (TakeCommandValue(words, i, kRequestOption, &value)) {
      code = core::ParseInt32(value);
      if (!code || *code <= request::kNone) {
        error = "--request needs a request code above 0";
        return std::nullopt;
      }
    } else {
      numbers.push_back(words[i]);
    }
  }
  if (numbers.size() != 3) {
    error = "set needs ENTRY FIELD VALUE";
    return std::nullopt;
  }
  const auto entry = core::ParseInt32(numbers[0]);
  const auto field = core::ParseInt32(numbers[1]);
  const auto value = core::ParseInt32(numbers[2]);
  if (!entry || !field || !value || *entry < 0 || *field < 0) {
    error = "ENTRY and FIELD are indexes, VALUE a whole number";
    return std::nullopt;
  }
  SetArgs a;
  a.entry = static_cast<std::size_t>(*entry);
  a.field = static_cast<std::size_t>(*field);
  a.value = *value;
  if (!session::WriteCommandOf(a.entry)) {
    error = "entry " + numbers[0] + " cannot be written; the writable entries are 2, 3, 11, 12, " +
            "14, 15, 16 and 19";
    return std::nullopt;
  }
  a.code = code ? *code : DefaultRequest(a.entry).value_or(request::kNone);
  const link::MessageTable table(ReadInstalledSetCom(options).messages);
  if (a.field >= table.FieldCount(a.entry)) {
    error = "entry " + numbers[0] + " has " + std::to_string(table.FieldCount(a.entry)) +
            " fields, not " + numbers[1];
    return std::nullopt;
  }
  return a;
}

}  // namespace

int RunIdentify(const CliOptions& options) {
  if (options.command.size() != 1) {
    Err(UsageText());
    return exit_code::kUsage;
  }
  auto workstation = ConnectedWorkstation(options);
  if (!workstation) {
    return exit_code::kFailed;
  }
  const int generation = workstation->Session().Generation();
  Out("generation: " + std::to_string(generation) + " (" + link::GenerationName(generation) + ")");
  // Entry 0 holds the identity the matched entry's request brought.
  const Bytes& identity = workstation->Table().LastAnswer(0);
  const auto& firmware = workstation->SetCom().firmware1;
  if (const auto match = link::MatchIdentity(identity, firmware)) {
    Out("entry: " + std::to_string(match->entry) + " " +
        firmware[static_cast<std::size_t>(match->entry - 1)].text2);
  }
  const auto id = link::ParseIdentification(identity);
  Out("version: " + core::DataVersioneEcu(id ? id->version : Bytes{}));
  Out("text: " + (id ? id->text : std::string()));
  return Finish(*workstation, true);
}

int RunSet(const CliOptions& options) {
  std::string error;
  const auto args = ParseSetArgs(options, error);
  if (!args) {
    Err(error + "\n" + UsageText());
    return exit_code::kUsage;
  }
  auto workstation = ConnectedWorkstation(options);
  if (!workstation) {
    return exit_code::kFailed;
  }
  // As a page does: the record first, then the request.
  (void)workstation->Session().Lists().Append(
      args->entry, {args->value, static_cast<std::int32_t>(args->field), 0});
  const auto end = workstation->RunRequest(args->code, {}, kWriteLimit);
  bool ok = end == HeadlessWorkstation::RequestEnd::kSucceeded;
  if (ok) {
    const std::int32_t held = workstation->Table().Value(args->entry, args->field);
    Out(std::to_string(args->entry) + "." + std::to_string(args->field) + "=" +
        std::to_string(held));
    if (held != args->value) {
      Err("the ECU holds " + std::to_string(held) + ", not " + std::to_string(args->value));
      ok = false;
    }
  } else if (end == HeadlessWorkstation::RequestEnd::kFailed) {
    Err("writing entry " + std::to_string(args->entry) + " failed");
  }
  return Finish(*workstation, ok);
}

}  // namespace velmora::cli
