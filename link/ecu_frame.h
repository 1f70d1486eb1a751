#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "core/bytes.h"

namespace velmora::link {

inline constexpr std::uint8_t kRequestFirst = 0x41;
inline constexpr std::uint8_t kRequestSecond = 0x02;
inline constexpr std::uint8_t kAnswerFirst = 0x42;
inline constexpr std::uint8_t kAnswerSecond = 0x01;
inline constexpr std::size_t kMaxFrameData = 252;
// Useful answer data start at the sixth byte, after the result byte.
inline constexpr std::size_t kAnswerDataOffset = 5;

// Where a frame's parts sit: first, second, length, command, data, check
// byte. The length byte counts the command, the data and the check byte, so
// it is never below kMinLength, and the frame is two bytes longer.
namespace frame_at {
inline constexpr std::size_t kLength = 2;
inline constexpr std::size_t kCommand = 3;
inline constexpr std::size_t kData = 4;
}  // namespace frame_at
inline constexpr std::uint8_t kMinLength = 3;
inline constexpr std::size_t kMinFrameSize = 5;  // a frame without data

// Every ECU command code the system sends, by what it does.
namespace cmd {
inline constexpr std::uint8_t kReadBank1 = 0x12;
inline constexpr std::uint8_t kWriteBank1 = 0x13;
inline constexpr std::uint8_t kReadBank2 = 0x16;
inline constexpr std::uint8_t kWriteBank2 = 0x17;
inline constexpr std::uint8_t kReadBank3 = 0x78;
inline constexpr std::uint8_t kWriteBank3 = 0x79;
inline constexpr std::uint8_t kReadCompanion = 0x31;
inline constexpr std::uint8_t kWriteCompanion = 0x32;
inline constexpr std::uint8_t kReadTBenz = 0x1B;
inline constexpr std::uint8_t kReadTGas = 0x1C;
inline constexpr std::uint8_t kReadTRisult = 0x20;
inline constexpr std::uint8_t kReadTIsto = 0x1F;
inline constexpr std::uint8_t kResetTBenz = 0x1D;
inline constexpr std::uint8_t kResetTGas = 0x1E;
inline constexpr std::uint8_t kResetTIsto = 0x3F;
inline constexpr std::uint8_t kResetTRisult = 0x40;
inline constexpr std::uint8_t kIdentify = 0x21;
inline constexpr std::uint8_t kReadObdData = 0x44;
inline constexpr std::uint8_t kReadBlock2 = 0x0D;
inline constexpr std::uint8_t kReadBlock3 = 0x0E;
inline constexpr std::uint8_t kWriteBlock2 = 0x10;
inline constexpr std::uint8_t kWriteBlock3 = 0x11;
inline constexpr std::uint8_t kReadBlock8 = 0x74;
inline constexpr std::uint8_t kWriteBlock8 = 0x75;
inline constexpr std::uint8_t kWriteBlock6 = 0x6F;
inline constexpr std::uint8_t kReadSpeedAxis = 0x4B;
inline constexpr std::uint8_t kWriteSpeedAxis = 0x4C;
inline constexpr std::uint8_t kReadTimeAxis = 0x4E;
inline constexpr std::uint8_t kWriteTimeAxis = 0x4F;
inline constexpr std::uint8_t kFinish = 0x14;
inline constexpr std::uint8_t kSlow = 0x15;
inline constexpr std::uint8_t kMainWrite = 0x69;
inline constexpr std::uint8_t kReadConnection = 0x30;
inline constexpr std::uint8_t kEraseErrors = 0x0B;
inline constexpr std::uint8_t kReadLive = 0x0C;  // the main live record
// Block writes of the calibration sections.
inline constexpr std::uint8_t kWriteRitCom = 0x3D;
inline constexpr std::uint8_t kWriteComTridx = 0x7B;
inline constexpr std::uint8_t kWriteComTgasx = 0x7D;
inline constexpr std::uint8_t kWriteComPgasx = 0x7F;
inline constexpr std::uint8_t kWriteComPbenx = 0x81;
inline constexpr std::uint8_t kWriteComSmag = 0x5E;
inline constexpr std::uint8_t kWriteLambdaEmulation = 0x42;
inline constexpr std::uint8_t kWriteObdData = 0x45;
inline constexpr std::uint8_t kWriteObdData2 = 0x63;
inline constexpr std::uint8_t kWriteDirectInjection = 0x52;
inline constexpr std::uint8_t kWriteObdErrors = 0x9C;
inline constexpr std::uint8_t kObdProtocolTrial = 0x46;
inline constexpr std::uint8_t kAcquisition = 0x5C;  // a slow command with one data byte
// The boot loader's programming commands (firmware update).
inline constexpr std::uint8_t kProgramStart = 0x06;
inline constexpr std::uint8_t kEraseFlash = 0x07;
inline constexpr std::uint8_t kWriteFlashBlock = 0x08;
inline constexpr std::uint8_t kFlashChecksums = 0x09;  // per block, for checking what was written
inline constexpr std::uint8_t kProgramEnd = 0x0A;
inline constexpr std::uint8_t kWriteConnection = 0x2C;
}  // namespace cmd

// Exclusive-or of all bytes; 0 for none.
[[nodiscard]] std::uint8_t CheckXor(std::span<const std::uint8_t> bytes);

// first, second, length (data + 3), command, data, check byte. More than 252
// data bytes cannot be framed: nullopt.
[[nodiscard]] std::optional<Bytes> ComponiFrame(std::uint8_t first, std::uint8_t second,
                                                std::uint8_t command,
                                                std::span<const std::uint8_t> data);

// A request frame with the program's usual first and second bytes.
[[nodiscard]] std::optional<Bytes> RequestFrame(std::uint8_t command,
                                                std::span<const std::uint8_t> data = {});

}  // namespace velmora::link
