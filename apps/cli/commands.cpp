#include "apps/cli/commands.h"

#include <array>
#include <string>

#include "apps/cli/cmd_autotune.h"
#include "apps/cli/cmd_calib.h"
#include "apps/cli/cmd_config.h"
#include "apps/cli/cmd_diag.h"
#include "apps/cli/cmd_diff.h"
#include "apps/cli/cmd_export.h"
#include "apps/cli/cmd_flash.h"
#include "apps/cli/cmd_link.h"
#include "apps/cli/cmd_live.h"
#include "apps/cli/cmd_log.h"
#include "apps/cli/cmd_maps.h"
#include "apps/cli/cmd_ports.h"
#include "apps/cli/cmd_sequence.h"
#include "apps/cli/cmd_session.h"
#include "apps/cli/cmd_watch.h"
#include "apps/cli/command_words.h"

namespace velmora::cli {

namespace {

using enum CommandGroup;

// One line per command: its name, how it runs, its group in the usage text,
// the options it takes with a value and those it takes alone, its usage.
const std::array kCommands = {
    // clang-format off
    CommandSpec{"identify", RunIdentify, kSession, "", "",
        "  identify                 hardware generation, firmware version and text\n"},
    CommandSpec{"read", RunCalibRead, kSession, "", "",
        "  read FILE                save the ECU's whole calibration into FILE\n"},
    CommandSpec{"write", RunCalibWrite, kSession, "--scope", "",
        "  write FILE [--scope all|settings|maps|switchover]\n"
        "                           load FILE into the ECU: everything (default), every\n"
        "                           block but the maps, the maps and axes, or the five\n"
        "                           switch-over tables\n"},
    CommandSpec{"live", RunLive, kSession, "--count --fields", "",
        "  live --count N [--fields A,B,...]\n"
        "                           the session's live poll (20 a second) as CSV lines\n"
        "                           of the chosen fields of entry 1 (default all)\n"},
    CommandSpec{"watch", RunWatch, kSession, "--seconds", "",
        "  watch --seconds N        the session's state changes as they happen, then\n"
        "                           the achieved poll rate\n"},
    CommandSpec{"set", RunSet, kSession, "--request", "",
        "  set ENTRY FIELD VALUE [--request CODE]\n"
        "                           write one field through the entry's write list and\n"
        "                           print the value read back\n"},
    CommandSpec{"map", RunMap, kSession, "--to", "",
        "  map show 0|1|2           a map as its grid: injection-time rows (ms; map 2:\n"
        "                           pressure bytes) by rpm columns\n"
        "  map set 0|1|2 ROW COL VALUE [--to ROW2 COL2]\n"
        "                           set a cell (or the rectangle up to ROW2 COL2) to\n"
        "                           VALUE 0..255, write the map and print it read back\n"},
    CommandSpec{"axes", RunAxes, kSession, "--rpm --time", "",
        "  axes show                the rpm and injection-time breakpoints\n"
        "  axes set [--rpm B0,..,B23] [--time B0,..,B22]\n"
        "                           new breakpoints (bytes: x64 rpm, x128 us) become the\n"
        "                           ECU's lookup tables; the session then reads all again\n"},
    CommandSpec{"switchover", RunSwitchOver, kSession, "", "",
        "  switchover show          the switch-over page's controls as the ECU holds them\n"
        "  switchover set CONTROL ITEM\n"
        "                           choose ITEM (its text or its number) in a control\n"
        "                           (CmbSwtchRpm, CmbNumBobine, ...) as the page does,\n"
        "                           then print it and its ECU words as read back\n"},
    CommandSpec{"compensation", RunCompensation, kSession, "--factor", "",
        "  compensation show        the five compensation tables (breakpoints, corrections)\n"
        "  compensation centre KIND COLUMN [--factor F]\n"
        "                           centre table KIND (0..4 or gas-temperature, ...) on\n"
        "                           breakpoint COLUMN 2..13 with amplitude F (10), write\n"
        "                           it and print it as read back\n"},
    CommandSpec{"sequence", RunSequence, kSession, "", "--reset",
        "  sequence [--reset]       acquire the injection sequence with the idling engine\n"
        "                           (or reset it to the straight assignment) and print\n"
        "                           the outputs, channels, reported order and mode\n"},
    CommandSpec{"log", RunLog, kSession, "--seconds --out", "--fast --keep-going",
        "  log --seconds N [--fast] [--keep-going] --out FILE.vfl\n"
        "                           record the live record for N seconds into a view\n"
        "                           file; --fast reads it back to back, not every 50 ms;\n"
        "                           --keep-going records on after a lost ECU is found again\n"},
    CommandSpec{"flash", RunFlash, kSession, "", "",
        "  flash IMAGE.frh          update the ECU's firmware from the image: versions,\n"
        "                           verdict, each step, the calibration's backup and the\n"
        "                           result code\n"},
    CommandSpec{"autotune", RunAutotune, kSession, "--cancel-at-step", "",
        "  autotune [--cancel-at-step N]\n"
        "                           the auto-tuning on the running engine: each step, its\n"
        "                           progress and the result code; exit 0 only for result 0\n"},
    CommandSpec{"errors", RunErrors, kSession, "", "--erase",
        "  errors [--erase]         the ECU's errors, one a line: code, name, current or\n"
        "                           stored and its state; --erase erases them first\n"},
    CommandSpec{"obd", RunObd, kSession, "--add-dtc --remove-dtc", "",
        "  obd [--add-dtc CODE] [--remove-dtc CODE]\n"
        "                           the OBD protocol, fuel-system status, trims in\n"
        "                           percent and the car's trouble codes; a CODE (P0420)\n"
        "                           joins or leaves the selective-clear list first\n"},
    CommandSpec{"ports", RunPorts, kLink, "", "",
        "  ports                    the serial ports as the connection page offers them\n"
        "  ports search             find the ECU on any port and remember it\n"},
    CommandSpec{"send", RunSend, kLink, "", "",
        "  send HEX                 send a complete ECU frame, print the answer\n"},
    CommandSpec{"bank", RunBank, kLink, "", "",
        "  bank read 1|2|3          read a memory bank (552 bytes as hex)\n"
        "  bank write 1|2|3 HEX [--force]\n"
        "                           write a bank (bank 1: optionally 16 more bytes\n"
        "                           for its companion record) and read it back\n"},
    CommandSpec{"show", RunCalibShow, kOffline, "", "",
        "  show FILE                print the entries of a calibration file, one field a\n"
        "                           line as entry.field=value\n"},
    CommandSpec{"export", RunExport, kOffline, "--out --calibration", "--csv --png",
        "  export FILE.vfl [--csv|--png] --out FILE [--calibration FILE.xsi]\n"
        "                           a view file's samples as the logger's text table, a\n"
        "                           CSV table with units or a picture of the recording\n"},
    CommandSpec{"diff", RunDiff, kOffline, "", "",
        "  diff A B                 compare two calibrations (files, or \"ecu\" for the\n"
        "                           connected ECU): one line per difference; exit 0\n"
        "                           equal, 1 different, 2 a side cannot be read\n"},
    // clang-format on
};

}  // namespace

std::span<const CommandSpec> Commands() {
  return kCommands;
}

int RunCommand(const CliOptions& options) {
  const std::string& name = options.command.front();
  for (const CommandSpec& command : kCommands) {
    if (command.name == name) {
      return command.run(options);
    }
  }
  Err("unknown command " + name + "\n" + UsageText());
  return exit_code::kUsage;
}

}  // namespace velmora::cli
