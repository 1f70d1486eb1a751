#include <gtest/gtest.h>

#include <filesystem>

#include "core/files.h"
#include "core/startup.h"
#include "core/version.h"
#include "tests/core/temp_dir.h"

namespace velmora::core {
namespace {

// Records the order in which the start-up sequence calls its services.
class RecordingHost : public StartupHost {
 public:
  void KillStaleLink() override { calls.push_back("kill"); }
  platform::OsRecord QueryOs() override {
    calls.push_back("os");
    return platform::OsRecord{2, "Linux", "6.1", "", 0};
  }
  char QueryDecimalSeparator() override {
    calls.push_back("locale");
    return ',';
  }
  std::vector<std::string> ListCoefficientFiles(const std::string&) override {
    calls.push_back("coefficients");
    return {"a.coe"};
  }
  std::string ReadFirmwareStartAddress(const std::string&) override {
    calls.push_back("fw-address");
    return {};
  }
  void StartLink() override { calls.push_back("start-link"); }
  int ChooseLanguageAtStartup(const ClsLingue&) override {
    calls.push_back("choose-language");
    return choice;
  }
  void SendClientName() override { calls.push_back("client-name"); }
  void ListLanguageFolders() override { calls.push_back("language-folders"); }
  void SendLinkInit() override { calls.push_back("link-init"); }
  void ReadSensorTables() override { calls.push_back("sensor-tables"); }
  void BuildEcuModelLists() override { calls.push_back("models"); }
  void LoadMainWindow() override { calls.push_back("main-window"); }

  std::vector<std::string> calls;
  int choice = 1;
};

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* d : {"bin", "lng"}) {
      std::filesystem::create_directories(dir_.File(d));
    }
    Write("lng/diz.diz", "###\r\n#English&0\r\nx\r\n###\r\n#Italiano&0\r\ny\r\n");
    Write("bin/SetCom.ini", "[AttesaPipe_usec]\r\n1000\r\n");
    Write("lng/ConfigScale.ini", "[SPARK]\r\n6000\r\n[PathDefault]\r\nMine.xsi\r\n");
  }
  void Write(const std::string& rel, const std::string& text) {
    ASSERT_TRUE(WriteFileAtomic(dir_.File(rel), text));
  }

  test::TempDir dir_;
};

TEST_F(StartupTest, RunsTheStepsInOrderAndFillsTheState) {
  RecordingHost host;
  StartupState state;
  RunStartup(state, host, dir_.File("bin"));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"kill", "locale", "os", "coefficients",
                                                  "fw-address", "start-link", "choose-language",
                                                  "client-name", "language-folders", "link-init",
                                                  "sensor-tables", "models", "main-window"}));
  EXPECT_EQ(state.version_text, VersionText());
  EXPECT_EQ(state.decimal_sep, ',');
  EXPECT_EQ(state.paths.root, dir_.Path());
  EXPECT_EQ(state.firmware_address, "00FFE000");
  EXPECT_EQ(state.reference_answers[0], (Bytes{0x42, 0x01, 0x04, 0x21, 0x14, 0x72}));
  ASSERT_EQ(state.reference_answers[3].size(), 68u);
  EXPECT_EQ(state.reference_answers[3][43], 0xFE);
  EXPECT_EQ(state.reference_answers[3][49], 0x20);
  EXPECT_TRUE(state.data_folder_ok);
  EXPECT_TRUE(EsisteCartella(dir_.File("Data")));
  EXPECT_EQ(state.set_com.pipe_wait_us, 1000);
  EXPECT_EQ(state.scale.spark, 6000);
  // [PathDefault] names a file that is not in lng: the default stays.
  EXPECT_EQ(state.paths.default_calibration, dir_.File("lng/00 Direct Inj Custom.xsi"));
  // No language was stored: the chosen one is remembered and titled.
  EXPECT_EQ(state.lingue.IdLingua(), 1);
  EXPECT_EQ(state.lingue.VoceDizionario(1, 0), kProductTitle);
  EXPECT_TRUE(state.startup_mark);

  // Second start: the choice is known, no language window.
  RecordingHost again;
  StartupState state2;
  RunStartup(state2, again, dir_.File("bin"));
  EXPECT_EQ(std::count(again.calls.begin(), again.calls.end(), "choose-language"), 0);
  EXPECT_EQ(state2.lingue.IdLingua(), 1);
}

TEST_F(StartupTest, PathDefaultOnlyWhenTheFileExistsInLng) {
  Write("lng/Mine.xsi", "[INFO]\r\n");
  RecordingHost host;
  StartupState state;
  RunStartup(state, host, dir_.File("bin"));
  EXPECT_EQ(state.paths.default_calibration, dir_.File("lng/Mine.xsi"));

  // A name with a folder part is not followed out of lng.
  Write("lng/ConfigScale.ini", "[PathDefault]\r\n../bin/SetCom.ini\r\n");
  StartupState other;
  RunStartup(other, host, dir_.File("bin"));
  EXPECT_EQ(other.paths.default_calibration, dir_.File("lng/00 Direct Inj Custom.xsi"));
}

TEST_F(StartupTest, ClosedLanguageWindowKeepsAskingNextTime) {
  RecordingHost host;
  host.choice = -1;
  StartupState state;
  RunStartup(state, host, dir_.File("bin"));
  EXPECT_EQ(state.lingue.IdLingua(), -1);
  EXPECT_EQ(state.main_title, kProductTitle);
}

TEST(OldFamily, Names) {
  EXPECT_TRUE(IsOldFamily("Windows 95"));
  EXPECT_TRUE(IsOldFamily("Windows 3.x"));
  EXPECT_TRUE(IsOldFamily("Windows 98"));
  EXPECT_TRUE(IsOldFamily("Win32s"));
  EXPECT_FALSE(IsOldFamily("Windows ME"));
  EXPECT_FALSE(IsOldFamily(platform::QueryOsRecord().name));
}

}  // namespace
}  // namespace velmora::core
