#include <gtest/gtest.h>
#include <unistd.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "editor/EditSatelliteTransponder.h"
#include "ui/tests/qt_app.h"
#include "shell/EditSatTp.h"
#include "shell/KoreaIRDTool.h"
#include "shell/encoder_parameter_file.h"
#include "shell/window_set.h"
#include "transfer/simpleupload.h"
#include "ui/app_context.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ExpectedParameterFile() {
  std::string text;
  for (auto line : orvane::encoder::kParameterLines) text += std::string(line) + "\r\n";
  return text;
}

class MainWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    TestApp();
    std::string t = (fs::temp_directory_path() / "orvane-shell-XXXXXX").string();
    dir_ = ::mkdtemp(t.data());
    previous_ = fs::current_path();
    fs::current_path(dir_);
    winDir = dir_ / "windows";
    ::setenv("ORVANE_WINDIR", winDir.c_str(), 1);
    orvane::shell::DeclareWindows(app);
    app.windows().CreateAll();
  }
  void TearDown() override {
    app.windows().Clear();
    ::unsetenv("ORVANE_WINDIR");
    fs::current_path(previous_);
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  orvane::ui::WindowRegistry& Windows() { return app.windows(); }

  orvane::ui::AppContext app;
  orvane::ui::RecordingPrompts prompts;
  orvane::ui::ScopedPrompts scoped_{app, prompts};
  fs::path winDir;

 private:
  fs::path dir_, previous_;
};

}  // namespace

TEST_F(MainWindows, AllWindowsAreCreatedInOrderBeforeAnyIsShown) {
  const std::vector<std::pair<QString, QString>> expected = {
      {"TfrmIRDTool", "IRD Tool"},
      {"TfrmKoreaIRDTool", "IRD Tool"},
      {"TfrmEditSatTP", "None"},
      {"TfrmEditSatelliteInfomation", "Satellite Information"},
      {"TfrmEditTransponderInfo", "Transponder Infomation"},
      {"TfrmEditDigitalChannel", "Digital Channel Infomation"},
      {"TfrmAnalogChannelInfomation", "Analog Channel Infomation"},
      {"TfrmIRDUploader", "Upload picture"},
      {"TfrmIrdDownload", "Download"},
      {"TfrmKeySetting", "Key Setting Tool"},
      {"TfrmSimpleupload", "Upload data"},
      {"TfrmSelectSatelliteList", "Select satellites to download"},
  };
  const auto& entries = Windows().entries();
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    // Classes of other folders carry their namespace.
    EXPECT_EQ(entries[i].className.split("::").back(), expected[i].first);
    EXPECT_EQ(entries[i].caption, expected[i].second);
    QWidget* w = entries[i].window.get();
    ASSERT_NE(w, nullptr) << i;
    EXPECT_EQ(QString::fromLatin1(w->metaObject()->className()), entries[i].className);
    EXPECT_EQ(w->windowTitle(), expected[i].second);
    EXPECT_FALSE(w->isVisible()) << i;
  }
  EXPECT_FALSE(fs::exists(winDir / "orbelimg.dat"));  // nothing shown, nothing written
}

TEST_F(MainWindows, ShowingTheMainWindowWritesTheParameterFileOnce) {
  auto* main = &Windows().Get<TfrmIRDTool>();
  EXPECT_EQ(main->size(), QSize(645, 56));
  EXPECT_EQ(main->Memo1->toPlainText().split('\n').size(), 55);
  EXPECT_FALSE(main->Memo1->isVisibleTo(main));
  main->show();
  EXPECT_EQ(Read(winDir / "orbelimg.dat"), ExpectedParameterFile());
  EXPECT_TRUE(main->btnOrvane->isEnabled());
  EXPECT_TRUE(main->btnIRDUpload->isEnabled());

  // The editor opens modally from the main window; coming back does not write the file again.
  fs::remove(winDir / "orbelimg.dat");
  int shown = 0;
  {
    orvane::ui::ScopedModalDriver driver(app, [&](QDialog& d) {
      ++shown;
      d.show();
      EXPECT_EQ(&d, &Windows().Get<TfrmEditSatTP>());
      d.hide();
    });
    main->btnOrvane->click();
  }
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(prompts.Messages(), QStringList{"File not found"});  // the editor's import: no index here
  EXPECT_FALSE(fs::exists(winDir / "orbelimg.dat"));

  main->btnProgreamExit->click();
  EXPECT_FALSE(main->isVisible());
}

TEST_F(MainWindows, AParameterFileErrorIsShownAndTheWindowStaysUsable) {
  std::ofstream(winDir.parent_path() / "plain") << "x";
  ::setenv("ORVANE_WINDIR", (winDir.parent_path() / "plain" / "sub").c_str(), 1);
  auto* main = &Windows().Get<TfrmIRDTool>();
  main->show();
  ASSERT_EQ(prompts.Messages().size(), 1);
  EXPECT_EQ(prompts.log[0].kind, orvane::ui::MessageKind::Error);
  EXPECT_TRUE(main->isVisible());
  EXPECT_TRUE(main->btnOrvane->isEnabled());
  main->hide();
}

TEST_F(MainWindows, TheSecondMainWindowReachesItsFourTools) {
  auto* korea = &Windows().Get<TfrmKoreaIRDTool>();
  EXPECT_EQ(korea->size(), QSize(573, 66));
  EXPECT_EQ(korea->btnOrvane->text(), "Edit TP/SAT");
  korea->show();
  EXPECT_EQ(Read(winDir / "orbelimg.dat"), ExpectedParameterFile());
  struct Case {
    QPushButton* button;
    const char* opens;
  };
  const Case cases[] = {{korea->btnOrvane, "TfrmEditSatTP"},
                        {korea->btnIRDUpload, "orvane::pictures::TfrmIRDUploader"},
                        {korea->btnIRDDownload, "orvane::transfer::TfrmIrdDownload"},
                        {korea->btnKeySetting, "orvane::keysetting::TfrmKeySetting"}};
  for (const Case& c : cases) {
    EXPECT_TRUE(c.button->isEnabled()) << c.opens;
    QDialog* shown = nullptr;
    orvane::ui::ScopedModalDriver driver(app, [&](QDialog& d) { shown = &d; });
    c.button->click();
    EXPECT_EQ(shown, &Windows().Find(QString::fromLatin1(c.opens))) << c.opens;
  }
  korea->btnProgreamExit->click();
  EXPECT_FALSE(korea->isVisible());
}

// The program shows one main window; closing that one ends it, opening and closing tools does not.
TEST_F(MainWindows, TheShownMainWindowEndsTheProgramWhenItCloses) {
  for (bool allTools : {false, true}) {
    SCOPED_TRACE(allTools);
    Windows().Clear();
    orvane::shell::DeclareWindows(app);
    Windows().CreateAll();
    int ended = 0;
    QWidget* shown = &orvane::shell::ShowMainWindow(app, allTools, [&] { ++ended; });
    QWidget* main = &Windows().Get<TfrmIRDTool>();
    QWidget* korea = &Windows().Get<TfrmKoreaIRDTool>();
    QWidget* other = allTools ? main : korea;
    EXPECT_EQ(shown, allTools ? korea : main);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_FALSE(other->isVisible());
    {
      orvane::ui::ScopedModalDriver driver(app, [](QDialog& d) {
        d.show();
        d.hide();
      });
      shown->findChild<QPushButton*>("btnIRDUpload")->click();
    }
    EXPECT_EQ(ended, 0);
    shown->findChild<QPushButton*>("btnProgreamExit")->click();
    EXPECT_FALSE(shown->isVisible());
    EXPECT_EQ(ended, 1);
  }
}

TEST_F(MainWindows, SoftwareUpdateOpensInMode0FromTheMainWindowAndMode1FromTheEditor) {
  using orvane::transfer::TfrmSimpleupload;
  auto* main = &Windows().Get<TfrmIRDTool>();
  main->show();
  ASSERT_TRUE(main->btnIRDDownload->isEnabled());
  std::vector<int> modes;
  orvane::ui::ScopedModalDriver driver(app, [&](QDialog& d) {
    if (auto* w = qobject_cast<TfrmSimpleupload*>(&d)) modes.push_back(w->UpdateMode);
  });
  main->btnIRDDownload->click();

  auto* editor = &Windows().Get<TfrmEditSatTP>();
  ASSERT_TRUE(editor->Button3->isEnabled());
  editor->Button3->click();
  EXPECT_EQ(modes, (std::vector<int>{0, 1}));
  EXPECT_EQ(fs::file_size("LastestTP.Dat"), 65536u);
  EXPECT_EQ(editor->windowTitle(), "");  // the save dialog's file name, empty before any Save
  main->hide();
}
