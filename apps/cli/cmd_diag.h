#pragma once

#include "apps/cli/cli_options.h"

namespace velmora::cli {

// "errors [--erase]": the ECU's errors as the error page shows them, one a
// line: code, name in the chosen language, current or stored and the state
// text. --erase erases the memory first (waiting a while for the engine
// condition that allows it) and lists what remains.
[[nodiscard]] int RunErrors(const CliOptions& options);

// "obd [--add-dtc CODE] [--remove-dtc CODE]": starts the OBD reading when
// it is not running, then prints the protocol, the fuel-system status, the
// fuel trims in percent, the car's stored trouble codes, the lamp and the
// selective-clear list. A code given is added to or removed from the list
// first, as the OBD page does.
[[nodiscard]] int RunObd(const CliOptions& options);

}  // namespace velmora::cli
