#pragma once

#include <array>
#include <optional>
#include <string>

#include "firmware/firmware_texts.h"

namespace velmora::firmware {

// How an update ended. 0 is success; every other code names the step that
// failed, and the step says what state the ECU is left in.
namespace update_code {
inline constexpr int kNotStarted = -1;  // refused before anything was sent
inline constexpr int kOk = 0;
inline constexpr int kNotKept = 1;  // connection block not read, or calibration not saved
inline constexpr int kLongWait = 2;
inline constexpr int kStart = 3;  // programming start (0x06)
inline constexpr int kErase = 4;  // erase, or programming end (0x0A)
inline constexpr int kShortWait = 5;
inline constexpr int kBlockWrite = 6;
inline constexpr int kLongWaitAfterWrite = 7;
inline constexpr int kShortWaitAfterEnd = 9;
inline constexpr int kConnectionBlock = 10;  // 0x2C refused
inline constexpr int kReload = 11;           // the calibration did not go back in
inline constexpr int kVerify = 12;           // the flash does not hold the image
}  // namespace update_code

// The two texts the window shows for a result code.
struct ResultTexts {
  int code;
  int first;
  int second;  // -1: none
};

namespace ft = firmware_text;
inline constexpr std::array<ResultTexts, 12> kResultTexts = {{
    {update_code::kOk, ft::kSuccess, -1},
    {update_code::kNotKept, ft::kNotStarted, ft::kNotChanged},
    {update_code::kLongWait, ft::kNotStarted, ft::kNotChanged},
    {update_code::kStart, ft::kProgrammingFailed, ft::kNoValidFirmware},
    {update_code::kErase, ft::kProgrammingFailed, ft::kNoValidFirmware},
    {update_code::kShortWait, ft::kProgrammingFailed, ft::kNoValidFirmware},
    {update_code::kBlockWrite, ft::kProgrammingFailed, ft::kNoValidFirmware},
    {update_code::kLongWaitAfterWrite, ft::kProgrammingFailed, ft::kNoValidFirmware},
    {update_code::kShortWaitAfterEnd, ft::kNotStarted, ft::kNotChanged},
    {update_code::kConnectionBlock, ft::kNotRestored, ft::kPowerCycle},
    {update_code::kReload, ft::kNotRestored, ft::kPowerCycle},
    {update_code::kVerify, ft::kProgrammingFailed, ft::kNoValidFirmware},
}};

[[nodiscard]] std::optional<ResultTexts> ResultTextsOf(int code);

// The message label's text for a result: a line break, the first text, a
// line break and the second; for success its text and a line break.
[[nodiscard]] std::string ResultMessage(int code, const FirmwareTexts& texts);

}  // namespace velmora::firmware
