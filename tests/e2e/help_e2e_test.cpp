// Every program answers --help and --version on standard output with status
// 0 before doing anything else, and refuses an option it does not know with
// its usage on standard error and status 2.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace velmora::e2e {
namespace {

constexpr int kExitMs = 20'000;

struct Answer {
  std::optional<int> code;
  std::string out;
  std::string err;
};

Answer Ask(const std::string& program, const std::string& arg) {
  Process p(StageBin() + "/" + program, {arg});
  EXPECT_TRUE(p.Started()) << program;
  const std::optional<int> code = p.Wait(kExitMs);
  return {code, p.out_text, p.err_text};
}

std::vector<std::string> Programs() {
  std::vector<std::string> names{"velmora-cli", "velmora-ecusim", "LinkSrv"};
  if (fs::exists(StageBin() + "/velmora")) {
    names.emplace_back("velmora");
  }
  return names;
}

TEST(HelpE2e, EveryProgramAnswersHelpVersionAndRefusesUnknownOptions) {
  for (const std::string& program : Programs()) {
    // A platform that does not exist: a program that started Qt (and with
    // it a window or the link server) would fail instead of answering.
    ::setenv("QT_QPA_PLATFORM", "no-such-platform", 1);
    const Answer help = Ask(program, "--help");
    EXPECT_EQ(help.code, 0) << program;
    EXPECT_EQ(help.out.rfind("usage: " + program + " ", 0), 0U) << program << help.out;
    EXPECT_NE(help.out.find("--version"), std::string::npos) << program;
    EXPECT_EQ(help.err, "") << program;

    const Answer version = Ask(program, "--version");
    EXPECT_EQ(version.code, 0) << program;
    EXPECT_EQ(version.out.rfind(program + " " VELMORA_PROJECT_VERSION " ", 0), 0U)
        << program << version.out;
    EXPECT_EQ(version.out.find('\n'), version.out.size() - 1) << program;

    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const Answer bogus = Ask(program, "--no-such-option");
    EXPECT_EQ(bogus.code, 2) << program;
    EXPECT_EQ(bogus.out, "") << program;
    EXPECT_NE(bogus.err.find("usage: " + program + " "), std::string::npos) << program << bogus.err;
  }
}

}  // namespace
}  // namespace velmora::e2e
