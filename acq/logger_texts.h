#pragma once

#include <array>
#include <string>
#include <string_view>

#include "core/dictionary.h"

namespace velmora::acq {

// The logger's and the replay's texts: block "[Frm_Logger]" of the
// dictionary. The members hold the English texts until a dictionary is
// read.
namespace logger_text {
inline constexpr std::string_view kMarker = "[Frm_Logger]";
}  // namespace logger_text

struct LoggerTexts {
  std::string caption = "Oscilloscope";                                    // 1
  std::string start = "Start";                                             // 2
  std::string stop = "Stop";                                               // 3
  std::string save = "Save recording";                                     // 4
  std::string open = "Open recording";                                     // 5
  std::string export_text = "Export";                                      // 6
  std::string reset = "Clear";                                             // 7
  std::string next = "Next";                                               // 8
  std::string prev = "Previous";                                           // 9
  std::string zoom_in_time = "Zoom in time";                               // 10
  std::string zoom_out_time = "Zoom out time";                             // 11
  std::string gain_up = "Increase gain";                                   // 12
  std::string gain_down = "Decrease gain";                                 // 13
  std::string move_up = "Move up";                                         // 14
  std::string move_down = "Move down";                                     // 15
  std::string variables = "Variables";                                     // 16
  std::string time = "Time (s)";                                           // 17
  std::string channel = "Channel";                                         // 18
  std::string recording = "Recording...";                                  // 19
  std::string unsaved = "The recording has not been saved. Save it now?";  // 20
  std::string rebuilding = "Rebuilding the samples...";                    // 21
  std::string companion =
      "A file with the same name and another extension exists in this folder: the file shown is "
      "the one you chose.";                                                                   // 22
  std::string view_files = "View files";                                                      // 23
  std::string export_done = "Export completed";                                               // 24
  std::string no_samples = "No samples to show";                                              // 25
  std::string export_csv = "Export CSV";                                                      // 26
  std::string export_png = "Export picture";                                                  // 27
  std::string cursor_a = "Cursor A";                                                          // 28
  std::string cursor_b = "Cursor B";                                                          // 29
  std::string difference = "Difference";                                                      // 30
  std::string write_failed = "The traffic log could not be written: the recording stopped.";  // 31
  std::string read_failed = "The file could not be read.";                                    // 32
  std::string save_failed = "The file could not be written: nothing changed.";                // 33
  std::string records = "Records";                                                            // 34
  std::string fit = "Fit";                                                                    // 35
};

struct ReplayTexts {
  std::string caption = "Log replay";                 // 36
  std::string play = "Play";                          // 37
  std::string stop = "Stop";                          // 38
  std::string play_speed = "Play at speed";           // 39
  std::string speed = "Pace (%, 100 = as recorded)";  // 40
  std::string open = "Open recording";                // 41
  std::string too_short =
      "The recording has fewer than two steps: there is nothing to play.";  // 42
  std::string step = "Step";                                                // 43
  std::string no_file = "No recording opened";                              // 44
  std::string answers = "Answers replayed";                                 // 45
  std::string values = "Replayed values";                                   // 46
  // 47..53: the values shown, in the page's order.
  std::array<std::string, 7> value_names = {"Engine speed",
                                            "Gas pressure",
                                            "Manifold pressure (MAP)",
                                            "Lambda 1 pre-cat",
                                            "Reducer temperature",
                                            "Short-term fuel trim bank 1",
                                            "Long-term fuel trim bank 1"};
  // 54..57: the targets that are not calibration sections.
  std::string live_record = "Main live record";
  std::string block2 = "Block 2";
  std::string block3 = "Block 3";
  std::string obd_data = "OBD data";
  std::string recording = "Recording";  // 58
};

[[nodiscard]] LoggerTexts LoggerTextsFrom(const core::ClsLingue& lingue);
[[nodiscard]] ReplayTexts ReplayTextsFrom(const core::ClsLingue& lingue);

}  // namespace velmora::acq
