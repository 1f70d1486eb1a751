// The logger's model: what a rebuild keeps of a traffic log, the window and
// its scrolling, the channel controls and their setup file, and a recording
// made through the message table, saved, exported and shown again.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acq/frm_logger.h"
#include "acq/live_recorder.h"
#include "acq/log_rebuild.h"
#include "acq/logger_export.h"
#include "acq/osci_files.h"
#include "acq/record_samples.h"
#include "acq/synthetic_log.h"
#include "acq/traffic_log.h"
#include "core/hex.h"
#include "tests/acq/acq_rig.h"

namespace velmora::acq {
namespace {

using test::AcqRig;

std::string Lines(const std::vector<std::string>& lines) {
  return core::JoinCrLf(lines);
}

std::string Record(std::string_view name, int ms, const Bytes& answer) {
  const std::string t = std::to_string(ms);
  return Lines({std::string(name), t + " T 4102032161", t + " R " + core::BinToHex(answer)});
}

TEST(LoggerRebuild, KeepsWholeCheckedRecordsAndCarriesTheOtherKind) {
  AcqRig rig;
  const ChannelIds ids = IdsOf(DefaultChannels());  // channel 7 shows the rpm (field 32)
  const std::string start = Lines(StartLines(0, "01/02/2024 10:00:00", rig.Live({{32, 18750}})));
  SampleTable s = RebuildSamples(start, rig.table, ids);
  ASSERT_EQ(s.Count(), 1u);
  EXPECT_EQ(s.Time(0), 0);
  EXPECT_EQ(s.Value(0, 7), 800);
  for (std::size_t k = 1; k < logger::kStride; ++k) {
    EXPECT_EQ(s.Obd(0, k), 0);
  }

  Bytes bad_xor = rig.Live({{32, 9375}});
  bad_xor.back() ^= 0x01;
  Bytes old_length = rig.Live({});
  old_length[2] = 0x63;  // an older live record's length: not this logger's header
  old_length.back() ^= 0x7C ^ 0x63;
  const std::string log =
      start + Record("CMD_READ_MEM1", 1500, bad_xor) + Record("CMD_READ_MEM1", 1550, old_length) +
      Lines({"CMD_READ_MEM1", "1600 T 4102032161", "1600  R " + core::BinToHex(rig.Live({}))}) +
      Record("CMD_READ_OBD_DATA", 2000,
             rig.Obd({{26, 2}, {30, 128}, {34, 0}, {38, 255}, {42, 1}})) +
      Record("CMD_READ_MEM1", 2100, rig.Live({{32, 9375}})) + Lines({"CMD_READ_MEM1", "2200 T 41"});
  s = RebuildSamples(log, rig.table, ids);
  ASSERT_EQ(s.Count(), 3u);
  EXPECT_EQ(s.Time(1), 2000);
  EXPECT_EQ(s.Value(1, 7), 800);  // the live values carried over
  EXPECT_EQ((std::vector<std::int32_t>{s.Obd(1, 1), s.Obd(1, 3), s.Obd(1, 4), s.Obd(1, 5),
                                       s.Obd(1, 6), s.Obd(1, 7), s.Obd(1, 8)}),
            (std::vector<std::int32_t>{2, 0, -100, 99, -100, 0, 0}));
  EXPECT_EQ(s.Time(2), 2100);
  EXPECT_EQ(s.Value(2, 7), 1600);
  EXPECT_EQ(s.Obd(2, 5), 99);  // the OBD values carried over
  EXPECT_EQ(s.Obd(2, 0), 2100);
  EXPECT_EQ(TrimPercent(128), 0);
  EXPECT_EQ(TrimPercent(0), -100);
  EXPECT_EQ(TrimPercent(255), 99);
}

TEST(LoggerWindow, ZoomTwentyOnANineThousandTwipPlotScrollsBy22Seconds) {
  AcqRig rig;
  FrmLogger page(rig.env);
  page.SetPlotSize({600, 400});  // 9,000 twips
  page.ShowRecording(SyntheticTrafficLog(rig.table, 120, 20, 0));
  ASSERT_EQ(page.Samples().Count(), 2400u);
  EXPECT_EQ(page.Window().zoom, 50);  // shown wide
  page.CmdZin();
  EXPECT_EQ(page.Window().zoom, 20);
  EXPECT_EQ(VisibleSpanMs(page.Size().WidthTwips(), page.Window().zoom), 45'000);
  page.CmdNext();
  EXPECT_EQ(page.Window().start_ms, 22'000);
  EXPECT_EQ(page.Samples().Time(page.Window().first_sample), 22'000);
  page.CmdPrev();
  page.CmdPrev();
  EXPECT_EQ(page.Window().start_ms, 0);  // not before the first sample
  page.ScrlTime(1);
  EXPECT_EQ(page.Window().start_ms, 22'000);
  page.CmdZin();
  EXPECT_EQ(page.Window().zoom, 10);
  EXPECT_FALSE(page.Controls().zoom_in_time);
  page.CmdZOut();
  EXPECT_EQ(page.Window().zoom, 20);
  EXPECT_TRUE(page.Controls().zoom_in_time);
}

TEST(LoggerChannels, ResetSpreadsTheVisibleChannelsAndEveryChangeIsSaved) {
  AcqRig rig;
  FrmLogger page(rig.env);
  for (std::size_t c = 0; c < logger::kChannels; ++c) {
    if (c != 1 && c != 4 && c != 6) {
      page.PctMostra(c);  // hidden
    }
  }
  page.CmdReset();
  const Channels& ch = page.ChannelTable();
  EXPECT_EQ((std::vector<std::int32_t>{ch[1].offset, ch[4].offset, ch[6].offset}),
            (std::vector<std::int32_t>{0, 33, 66}));
  std::vector<std::string> lines;
  ASSERT_TRUE(core::LeggiRighe(rig.paths.osci_setup, lines));
  Channels read = DefaultChannels();
  ReadChannelSetup(lines, read);
  EXPECT_EQ(ChannelSetupText(read), ChannelSetupText(ch));

  page.PctMostra(1);
  page.PctMostra(4);
  page.PctMostra(6);
  const std::string before = ChannelSetupText(page.ChannelTable());
  page.CmdReset();  // nothing visible: nothing to spread
  EXPECT_EQ(ChannelSetupText(page.ChannelTable()), before);

  page.LblSignal(5);  // reducer temperature: steps of 2000 up to 20000
  for (int i = 0; i < 12; ++i) {
    page.CmdZoomIn();
  }
  EXPECT_EQ(page.ChannelTable()[5].zoom, 20'000);
  for (int i = 0; i < 120; ++i) {
    page.CmdZoomOut();
    page.CmdDw();
  }
  EXPECT_EQ(page.ChannelTable()[5].zoom, 2000);
  EXPECT_EQ(page.ChannelTable()[5].offset, 98);
  page.CmdUp();
  EXPECT_EQ(page.ChannelTable()[5].offset, 97);
}

TEST(LoggerFiles, SetupAndVariableListsAreReadDefensively) {
  const auto list =
      ReadVariableList({"[Var]", "Engine speed,Giri motore", "32", "0", "rpm", "[Var]", "Broken",
                        "x", "1", "-", "[Var]", "MAP", "49", "1000", "bar"});
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].multiplier, 1.0F);  // divisor 0
  EXPECT_EQ(NameIn(list[0], 1), "Giri motore");
  EXPECT_FLOAT_EQ(list[1].multiplier, 0.001F);

  std::vector<std::string> setup;
  for (int g = 0; g < 9; ++g) {
    const std::vector<std::string> group = {
        "[Var]", std::to_string(g), std::to_string(40 + g), g == 0 ? " -1 " : "1", "255", "150",
        "300"};
    setup.insert(setup.end(), group.begin(), group.end());
  }
  Channels ch = DefaultChannels();
  ReadChannelSetup(setup, ch);
  EXPECT_EQ(ch[7].variable_id, 47);  // the ninth group is ignored
  EXPECT_TRUE(ch[0].visible);
  EXPECT_FALSE(ch[1].visible);
  EXPECT_EQ(ch[3].offset, 98);
  setup[2 * 7 + 5] = "ten";  // channel 2's offset
  Channels partly = DefaultChannels();
  ReadChannelSetup(setup, partly);
  EXPECT_EQ(partly[1].variable_id, 41);
  EXPECT_EQ(partly[2].variable_id, DefaultChannels()[2].variable_id);
}

TEST(LoggerRecording, TracesEveryRecordSavesOntoItselfAndExports) {
  AcqRig rig;
  rig.clock.now = 5'000'400;
  rig.table.SetLastAnswer(1, rig.Live({{32, 18750}}));
  FrmLogger page(rig.env);
  ASSERT_TRUE(page.OptRun(0));
  EXPECT_EQ(rig.session.page_event, 1);
  EXPECT_FALSE(page.Controls().open);
  rig.clock.now += 50'000;
  rig.table.DecodificaRisposta(rig.Live({{32, 9375}}), 1);
  rig.clock.now += 20'000;
  rig.table.DecodificaRisposta(rig.Obd({{30, 255}}), 12);
  rig.table.DecodificaRisposta(Bytes(22, 0), 5);
  EXPECT_EQ(page.Recorder().Window().Size(), 2u);
  EXPECT_EQ(page.Recorder().Records(), 3u);
  EXPECT_TRUE(page.Layout().pen_x.has_value());
  EXPECT_FALSE(page.OptRun(0));  // already recording
  ASSERT_TRUE(page.OptRun(1));
  EXPECT_EQ(page.State(), LoggerState::kStopped);

  std::vector<std::string> log;
  ASSERT_TRUE(core::LeggiRighe(rig.paths.logger_tmp, log));
  ASSERT_EQ(log.size(), 14u);  // the last line ends with CR LF too
  EXPECT_EQ(log.back(), "");
  EXPECT_TRUE(log[0].starts_with("0 TimerApi_uSec 5000 Now ")) << log[0];
  EXPECT_EQ(log[4], "CMD_READ_MEM1");
  EXPECT_EQ(log[5], "50 T 4102032161");
  EXPECT_EQ(log[6], "50 R " + core::BinToHex(rig.Live({{32, 9375}})));
  EXPECT_EQ(log[8], "70 T 4102034404");
  EXPECT_EQ(log[10], "COLL");

  EXPECT_FALSE(page.CmdSaveLogOsc(rig.root.File("no/such/folder/x.vfl")));
  EXPECT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(page.State(), LoggerState::kStopped);
  ASSERT_TRUE(page.CmdSaveLogOsc(rig.paths.logger_tmp));  // onto itself
  std::vector<std::string> kept;
  ASSERT_TRUE(core::LeggiRighe(rig.paths.logger_tmp, kept));
  EXPECT_EQ(kept, log);
  EXPECT_EQ(page.State(), LoggerState::kIdle);
  ASSERT_EQ(page.Samples().Count(), 3u);
  EXPECT_EQ(page.Samples().Value(1, 7), 1600);

  ASSERT_TRUE(page.CmdEsporta(rig.root.File("out.txt")));
  std::vector<std::string> text;
  ASSERT_TRUE(core::LeggiRighe(rig.root.File("out.txt"), text));
  ASSERT_EQ(text.size(), 5u);
  EXPECT_TRUE(text[0].starts_with("Tempo # ")) << text[0];
  EXPECT_TRUE(text[0].ends_with(" # pid 03 # pid 06 # pid 07 # pid 11 # STAPOPEN ")) << text[0];
  EXPECT_EQ(text[3], "70 # 0 # 0 # 0 # 0 # 0 # 0 # 0 # 1600 # 0 # 0 # 99 # -100 # -100");
  const std::string csv = ExportCsv(page.Samples(), page.ChannelTable());
  EXPECT_TRUE(csv.starts_with("Time (ms),")) << csv;
  EXPECT_NE(csv.find("\n50,0,0,0,0,0,0,0,1600\n"), std::string::npos) << csv;

  rig.session.state = core::session_state::kDisconnected;
  ASSERT_TRUE(page.OptRun(0));
  EXPECT_EQ(rig.session.page_event, 2);
  page.Closing();
  EXPECT_FALSE(page.Recorder().FileOpen());
}

TEST(LoggerRecording, TheLiveWindowKeepsItsSizeHoweverLongTheRecording) {
  SampleRing ring(64);
  for (std::int32_t r = 0; r < 10'000; ++r) {
    ring.Append(r % 7 == 0 ? RecordKind::kObd : RecordKind::kLive, SampleRow{r, r});
  }
  EXPECT_EQ(ring.Capacity(), 64u);
  EXPECT_EQ(ring.Size(), 64u);
  EXPECT_EQ(ring.Total(), 10'000u);
  EXPECT_EQ(ring.Live(0)[0], 10'000 - 64);
  EXPECT_EQ(ring.Live(63)[0], 9999);
}

TEST(LoggerFiles, OpeningTellsOfACompanionAndAVariableChangeRebuilds) {
  AcqRig rig;
  ASSERT_TRUE(
      core::WriteFileAtomic(rig.paths.osci_list,
                            "[Var]\r\nEngine speed\r\n32\r\n1\r\nrpm\r\n[Var]\r\nMAP\r\n49\r\n"
                            "1000\r\nbar\r\n"));
  const std::string vfl = rig.root.File("run.vfl");
  ASSERT_TRUE(core::WriteFileAtomic(vfl, SyntheticTrafficLog(rig.table, 60, 20, 0)));
  FrmLogger page(rig.env);
  page.SetPlotSize({600, 400});
  EXPECT_FALSE(page.CmdOpen(rig.root.File("missing.vfl")));
  ASSERT_TRUE(page.CmdOpen(vfl));
  EXPECT_TRUE(rig.box.shown.empty());
  ASSERT_TRUE(core::WriteFileAtomic(rig.root.File("run.txt"), "x"));
  ASSERT_TRUE(page.CmdOpen(vfl));
  ASSERT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(rig.box.shown[0].text, page.Texts().companion);

  page.LblSignal(0);
  page.LstVar(1);  // MAP to channel 0
  EXPECT_EQ(page.ChannelTable()[0].variable_id, 49);
  EXPECT_EQ(page.ChannelTable()[0].name, "MAP");
  EXPECT_EQ(page.Samples().Value(0, 0), page.Samples().Value(0, 3));  // channel 3 shows MAP too
  page.JumpTo(30'500);
  EXPECT_EQ(page.Window().start_ms, 26'000);  // 9 s shown, centred, from a whole second

  ASSERT_TRUE(page.OptRun(0));
  EXPECT_FALSE(page.CmdOpen(vfl));  // not while recording
  EXPECT_FALSE(page.CmdSaveLogOsc(rig.root.File("early.vfl")));
}

TEST(LoggerRecording, AFullDiskStopsTheRecordingAndSaysSoOnce) {
  AcqRig rig;
  rig.paths.logger_tmp = "/dev/full";  // every write fails: no space left
  FrmLogger page(rig.env);
  ASSERT_TRUE(page.OptRun(0));
  rig.table.DecodificaRisposta(rig.Live({}), 1);
  page.LiveTick();
  page.LiveTick();
  EXPECT_EQ(page.State(), LoggerState::kStopped);
  ASSERT_EQ(rig.box.shown.size(), 1u);
  EXPECT_EQ(rig.box.shown[0].text, page.Texts().write_failed);
}

}  // namespace
}  // namespace velmora::acq
