// The main window's plain models: the poll rate, the switch-over
// temperature write, the captions kept across a language change and the ECU
// summary.
#include <gtest/gtest.h>

#include "core/hex.h"
#include "ui/ecu_summary.h"
#include "ui/poll_rate.h"
#include "ui/session_caption.h"
#include "ui/switch_over_setting.h"

namespace velmora::ui {
namespace {

TEST(PollRateMeter, PollsPerSecondOverTheLastSecondAndRestartsWhenTheCounterGoesBack) {
  PollRateMeter meter;
  EXPECT_EQ(meter.Rate(), 0);
  meter.Add(0, 0);
  EXPECT_EQ(meter.Rate(), 0);  // one sample spans no time
  // 20 polls a second, sampled every 100 ms for three seconds.
  for (int i = 1; i <= 30; ++i) {
    meter.Add(i * 100'000, i * 2);
  }
  EXPECT_DOUBLE_EQ(meter.Rate(), 20.0);
  // The rate follows a change within a second: 10 polls a second now.
  for (int i = 31; i <= 40; ++i) {
    meter.Add(i * 100'000, 60 + (i - 30));
  }
  EXPECT_DOUBLE_EQ(meter.Rate(), 10.0);
  // A new session's counter starts at zero again.
  meter.Add(4'100'000, 0);
  EXPECT_EQ(meter.Rate(), 0);
  meter.Add(4'600'000, 10);
  EXPECT_DOUBLE_EQ(meter.Rate(), 20.0);
  // Two samples at the same moment give no rate rather than a division by 0.
  meter.Reset();
  meter.Add(5, 1);
  meter.Add(5, 3);
  EXPECT_EQ(meter.Rate(), 0);
}

TEST(SwitchOverSetting, DialogResultsBecomeTemperaturesWithinTheRange) {
  namespace op = pages::value_op;
  const pages::Limits limits = SwitchOverLimits();
  EXPECT_EQ(limits.set.min, 15);
  EXPECT_EQ(limits.set.max, 60);
  EXPECT_EQ(SwitchOverTarget(40, {op::kSet, 45.f}), 45);
  EXPECT_EQ(SwitchOverTarget(40, {op::kAdd, -5.f}), 35);
  EXPECT_EQ(SwitchOverTarget(40, {op::kAdd, 45.f}), 60);  // kept within the range
  EXPECT_EQ(SwitchOverTarget(40, {op::kPercent, -90.f}), 15);
  EXPECT_EQ(SwitchOverTarget(40, {op::kPercent, 10.f}), 44);
  EXPECT_EQ(SwitchOverTarget(40, {op::kSet, 44.5f}), 44);  // half to even
  EXPECT_EQ(SwitchOverTarget(40, {op::kCancelled, 0.f}), std::nullopt);
  EXPECT_EQ(SwitchOverTarget(40, {7, 1.f}), std::nullopt);
  // A block 3 never read holds 0: the result still lands in the range.
  EXPECT_EQ(SwitchOverTarget(0, {op::kAdd, 1.f}), 15);
}

TEST(SessionCaption, CaptionsAreShownAgainInTheNewLanguage) {
  CaptionTexts english;
  english.main_title = "Velmora Workstation";
  CaptionTexts italian;
  italian.main_title = "Velmora Workstation";
  italian.texts.not_connected = "Centralina non collegata";
  italian.texts.connecting_on_port = "Collegamento sulla porta COM";
  italian.texts.connected = "Centralina collegata";

  const SessionCaption port = RecogniseCaption(english, "Connecting to the ECU on port COM7");
  EXPECT_EQ(CaptionPort(port), 7);
  EXPECT_EQ(RenderCaption(italian, port), "Collegamento sulla porta COM7");
  EXPECT_EQ(RenderCaption(english, port), "Connecting to the ECU on port COM7");

  const SessionCaption connected = RecogniseCaption(english, english.texts.connected);
  EXPECT_EQ(CaptionPort(connected), std::nullopt);
  EXPECT_EQ(RenderCaption(italian, connected), "Centralina collegata");
  EXPECT_EQ(RenderCaption(italian, RecogniseCaption(english, "Velmora Workstation")),
            "Velmora Workstation");

  // What the window does not know stays as it was shown.
  const SessionCaption other = RecogniseCaption(english, "Something else");
  EXPECT_EQ(RenderCaption(italian, other), "Something else");
  // The port text alone, without a number, is not a port caption.
  EXPECT_EQ(CaptionPort(RecogniseCaption(english, english.texts.connecting_on_port)), std::nullopt);
  EXPECT_EQ(CaptionPort(RecogniseCaption(english, english.texts.connecting_on_port + "x")),
            std::nullopt);
}

TEST(EcuSummary, IdentityAnswersOfEveryLengthAreShownSafely) {
  // 68-byte identity frame: header, version field, 32-character text.
  Bytes frame = {0x42, 0x01, 0x42, 0x21, 0x00, 0x01, 0x23, 0x15, 0x06, 0x20, 0x24};
  const std::string text = "VELMORA SEQ NexHw 4CYL\x01\x02      ";
  frame.insert(frame.end(), text.begin(), text.end());
  frame.resize(68, 0x00);
  const EcuSummary s = MakeEcuSummary(frame, 3, 5, 45);
  EXPECT_EQ(s.identification, "VELMORA SEQ NexHw 4CYL");
  EXPECT_EQ(s.version, core::DataVersioneEcu(Bytes{0x01, 0x23, 0x15, 0x06, 0x20, 0x24}));
  EXPECT_EQ(s.hardware, "NexHw");
  EXPECT_EQ(s.port, 5);
  EXPECT_EQ(s.switch_over_c, 45);

  for (std::size_t n = 0; n < 20; ++n) {
    const EcuSummary cut = MakeEcuSummary(Bytes(frame.begin(), frame.begin() + n), -1, -1, {});
    EXPECT_TRUE(cut.identification.empty()) << n;
    EXPECT_TRUE(cut.version.empty()) << n;
    EXPECT_TRUE(cut.hardware.empty());
  }
}

}  // namespace
}  // namespace velmora::ui
