#include "ui/app_context.h"

#include <gtest/gtest.h>

using namespace orvane::ui;

TEST(Prompts, ProgramFiltersBecomeQtFilters) {
  EXPECT_EQ(ToQtFilter("*.tpd|*.tpd"), "*.tpd (*.tpd)");
  EXPECT_EQ(ToQtFilter("rom.bin|*.bin|All|*.*"), "rom.bin (*.bin);;All (*.*)");
  EXPECT_EQ(ToQtFilter("Pictures|*.jpg;*.jpeg"), "Pictures (*.jpg *.jpeg)");
}

TEST(Prompts, RecorderAnswersFromItsScriptAndIsInstalledForAScope) {
  RecordingPrompts rec;
  rec.answers = {true};
  rec.files = {QString("a.tpd")};
  AppContext app;
  Prompts* const real = &app.prompts();
  {
    ScopedPrompts scope(app, rec);
    Prompts& p = app.prompts();
    p.Message("Success");
    EXPECT_TRUE(p.AskYesNo("Continue processing ?"));
    EXPECT_FALSE(p.AskYesNo("again"));  // nothing scripted: No
    EXPECT_EQ(p.ChooseOpenFile({}), QString("a.tpd"));
    EXPECT_EQ(p.ChooseSaveFile({}), std::nullopt);  // nothing scripted: cancelled
    p.Error("File not found");
  }
  EXPECT_EQ(&app.prompts(), real);
  EXPECT_EQ(rec.Messages(), QStringList({"Success", "File not found"}));
  ASSERT_EQ(rec.log.size(), 6u);
  EXPECT_EQ(rec.log[5].kind, MessageKind::Error);
}
