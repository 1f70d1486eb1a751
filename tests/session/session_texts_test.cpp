// The session's texts come from the chosen language of the dictionary.

#include <gtest/gtest.h>

#include "core/files.h"
#include "session/session_texts.h"
#include "tests/session/session_rig.h"

namespace velmora::session::testing {
namespace {

TEST(SessionTexts, TakenFromTheChosenLanguageWithEnglishWhereMissing) {
  EXPECT_EQ(SessionTextsFrom(core::ClsLingue()).connected, SessionTexts{}.connected);

  TempDir dir;
  ASSERT_TRUE(core::WriteFileAtomic(dir.File("diz.con"), "1\r\n"));
  core::ClsLingue lingue;
  const char* stage = std::getenv("VELMORA_STAGE");
  lingue.SetPathDizionario(std::string(stage != nullptr ? stage : ".") + "/lng/diz.diz");
  lingue.SetPathAttualeLingua(dir.File("diz.con"));
  lingue.LoadDizionario();
  ASSERT_EQ(lingue.IdLingua(), 1);
  const SessionTexts texts = SessionTextsFrom(lingue);
  EXPECT_EQ(texts.not_connected, "Centralina non collegata - ricerca della centralina in corso...");
  EXPECT_EQ(texts.connecting_on_port, "Collegamento alla centralina sulla porta COM");
  EXPECT_FALSE(texts.caption.empty());
}

}  // namespace
}  // namespace velmora::session::testing
