// The main window's decisions without its widgets: what a state change
// starts and stops, the status texts, the switch-over temperature's dialog,
// the captions kept across a language change, the poll rate and the ECU
// summary.
#include "pages/shell_model.h"

#include <gtest/gtest.h>

#include "core/files.h"
#include "core/hex.h"
#include "pages/ecu_summary.h"
#include "pages/switch_over_setting.h"
#include "tests/core/temp_dir.h"
#include "tests/pages/page_fakes.h"

namespace velmora::pages {
namespace {

namespace st = core::session_state;
using test::FakePageSession;

TEST(ShellModel, StateChangesStartAndStopTheSearchTheRateAndTheDashes) {
  // {start search, finish search, reset rate, show port, clear live views}
  ShellModel shell;
  EXPECT_EQ(shell.StateChanged(st::kConnected, st::kSearching, false),
            (StateActions{true, false, true, false, true}));  // nothing live was ever read
  EXPECT_FALSE(shell.StateChanged(st::kSearching, st::kSearching, true).start_search);
  EXPECT_EQ(shell.StateChanged(st::kSearching, st::kConnected, true),
            (StateActions{false, true, false, true, false}));
  shell.LiveTick(0, 0, true);
  shell.LiveTick(500'000, 10, true);
  // An operation and the step after one are still connected.
  EXPECT_FALSE(shell.StateChanged(st::kConnected, st::kOperation, false).reset_poll_rate);
  EXPECT_FALSE(shell.StateChanged(st::kOperation, st::kPostOperation, false).reset_poll_rate);
  EXPECT_DOUBLE_EQ(shell.PollRate(), 20.0);
  // Values were read once: a new search keeps them on the dashboard.
  EXPECT_EQ(shell.StateChanged(st::kConnected, st::kSearching, false),
            (StateActions{true, false, true, false, false}));
  EXPECT_EQ(shell.PollRate(), 0);
  EXPECT_EQ(shell.StateChanged(st::kSearching, st::kDisconnected, true),
            (StateActions{false, true, true, false, false}));
}

TEST(ShellModel, StatusTextsFollowTheStateAndTheDictionary) {
  // "[Frm_Main]" up to text 6, the rate's unit; no "[Frm_Generale]".
  test::TestDictionary dictionary(
      "[Frm_Main]\r\nConnessione\r\nArchivio\r\nPagine\r\nCentralina\r\nCommutazione\r\n"
      "letture/s\r\n");
  const core::ClsLingue& lingue = dictionary.lingue;
  const ShellTexts texts = ShellTextsFrom(lingue);
  EXPECT_EQ(texts.file_menu, "Archivio");
  EXPECT_EQ(texts.connect, "Connect");       // no "[Frm_Generale]" block
  EXPECT_EQ(texts.busy, ShellTexts{}.busy);  // past the block's end

  ShellModel shell;
  shell.LiveTick(0, 0, true);
  shell.LiveTick(1'000'000, 25, true);
  EXPECT_EQ(shell.Status(st::kConnected, 7, texts),
            (StatusTexts{"COM7", "25.0 letture/s", "Disconnect"}));
  EXPECT_EQ(shell.Status(st::kConnected, -1, texts).port, "COM -");
  EXPECT_EQ(shell.Status(st::kDisconnected, 7, texts),
            (StatusTexts{"COM -", "- letture/s", "Connect"}));
  EXPECT_EQ(shell.Status(st::kDisconnectedAlt, 7, texts).connect_action, "Connect");
  EXPECT_EQ(shell.Status(st::kSearching, -1, texts).connect_action, "Disconnect");  // stops it
}

TEST(ShellModel, SwitchOverDialogWritesOnlyItsOwnAnswer) {
  namespace op = value_op;
  namespace sw = switch_over_setting;
  ShellModel shell;
  FakePageSession session;
  const ShellTexts texts;
  EXPECT_TRUE(shell.CanWrite(true, st::kConnected));
  EXPECT_FALSE(shell.CanWrite(false, st::kConnected));
  EXPECT_FALSE(shell.CanWrite(true, st::kOperation));
  EXPECT_EQ(shell.OpenSwitchOver(false, 40), std::nullopt);
  // The pages' use of the shared dialog is not the shell's.
  EXPECT_EQ(shell.AnswerSwitchOver({op::kSet, 45.f}, 40, session, st::kConnected, texts),
            std::nullopt);
  EXPECT_TRUE(session.posted.empty());

  const auto prompt = shell.OpenSwitchOver(true, 40);
  ASSERT_TRUE(prompt.has_value());
  EXPECT_EQ(prompt->value_text, "40");
  EXPECT_EQ(prompt->option, value_option::kSet);
  EXPECT_EQ(shell.AnswerSwitchOver({op::kAdd, 30.f}, 40, session, st::kConnected, texts),
            std::nullopt);
  EXPECT_EQ(session.posted, std::vector<int>{session::request::kEntry3List});
  ASSERT_EQ(session.lists.Of(sw::kEntry).size(), 1u);
  EXPECT_EQ(session.lists.Of(sw::kEntry)[0].value, sw::kMaxC);  // kept within the range

  // Another request pending: the fitter is told, nothing more is listed.
  ASSERT_TRUE(shell.OpenSwitchOver(true, 40));
  EXPECT_EQ(shell.AnswerSwitchOver({op::kSet, 45.f}, 40, session, st::kConnected, texts),
            texts.busy);
  EXPECT_EQ(session.lists.Of(sw::kEntry).size(), 1u);
  // The connection gone meanwhile: nothing, and no box.
  session.Done();
  ASSERT_TRUE(shell.OpenSwitchOver(true, 40));
  EXPECT_EQ(shell.AnswerSwitchOver({op::kSet, 45.f}, 40, session, st::kSearching, texts),
            std::nullopt);
  EXPECT_EQ(session.posted.size(), 1u);
  shell.SetPagesEnabled(false);
  EXPECT_FALSE(shell.CanWrite(true, st::kConnected));
}

TEST(SwitchOverSetting, DialogResultsBecomeTemperaturesWithinTheRange) {
  namespace op = value_op;
  const Limits limits = SwitchOverLimits();
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

  // The shell remembers what the session showed, in the session's language.
  ShellModel shell;
  EXPECT_EQ(shell.Title(italian), "Velmora Workstation");  // before the session speaks
  shell.SetSessionTexts(english);
  EXPECT_EQ(shell.ShowCaption("Connecting to the ECU on port COM3"), 3);
  EXPECT_EQ(shell.Caption(italian), "Collegamento sulla porta COM3");
  EXPECT_EQ(shell.ShowCaption(english.texts.connected), std::nullopt);
  EXPECT_EQ(shell.Caption(italian), "Centralina collegata");
}

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

  // From the table: the connection's port and generation only while
  // connected, the temperature once block 3 was read.
  link::MessageTable table = test::PageRig::Table(96);
  table.SetLastAnswer(0, frame);
  EXPECT_EQ(EcuSummaryOf(table, false, 3, 5).port, -1);
  EXPECT_EQ(EcuSummaryOf(table, false, 3, 5).switch_over_c, std::nullopt);
  table.SetValue(3, 2, 38);
  table.SetLastAnswer(3, Bytes{1});
  const EcuSummary now = EcuSummaryOf(table, true, 3, 5);
  EXPECT_EQ(now.hardware, "NexHw");
  EXPECT_EQ(now.port, 5);
  EXPECT_EQ(now.switch_over_c, 38);
}

}  // namespace
}  // namespace velmora::pages
