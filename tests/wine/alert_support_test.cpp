// What the alerts rely on: which sound plays, the message-box alerts, and where the help page is
// opened from.
#include <gtest/gtest.h>

#include "alert_test_env.h"
#include "common/help_page.h"
#include "common/win32/unique.h"
#include "file_bytes.h"
#include "monitor/alerts/alert_sound.h"
#include "monitor/alerts/message_alert.h"
#include "monitor_ids.h"

namespace obrivo::test {
namespace {

using monitor::AlertSoundEvent;

class AlertSupport : public AlertTest {};

TEST_F(AlertSupport, SoundIsTheUsersOwnForTheEventElseTheBuiltInOne) {
  const std::string schemes = "AppEvents\\Schemes\\Apps\\Obrivo\\";
  common::WriteStoreString(HKEY_CURRENT_USER, schemes + "Task Alert\\.current", "",
                           "C:\\Sounds\\task.wav");
  common::WriteStoreString(HKEY_CURRENT_USER, schemes + "Startup Alert\\.current", "", "");
  common::WriteStoreString(HKEY_CURRENT_USER, schemes + "Open\\.current", "",
                           "C:\\Sounds\\open.wav");
  const struct {
    int sound;
    AlertSoundEvent event;
    bool play;
    const char* file;  // "" plays the built-in sound
  } cases[] = {
      {1, AlertSoundEvent::TaskAlert, true, "C:\\Sounds\\task.wav"},
      {1, AlertSoundEvent::Open, true, "C:\\Sounds\\open.wav"},
      {1, AlertSoundEvent::StartupAlert, true, ""},   // empty value
      {1, AlertSoundEvent::FileTypeAlert, true, ""},  // no key at all
      {0, AlertSoundEvent::TaskAlert, false, ""},     // Sound off: nothing
      {-1, AlertSoundEvent::TaskAlert, false, ""},
  };
  for (const auto& c : cases) {
    common::App().options.Set(core::OptionId::Sound, c.sound);
    const monitor::AlertSound sound = monitor::AlertSoundFor(c.event);
    EXPECT_EQ(sound.play, c.play) << static_cast<int>(c.event) << " sound " << c.sound;
    EXPECT_EQ(sound.file, c.file) << static_cast<int>(c.event) << " sound " << c.sound;
  }
}

TEST_F(AlertSupport, TheMonitorCarriesItsBuiltInSound) {
  const std::wstring exe = win32::Wide(bin_ + "\\Obrivo.exe");
  win32::UniqueModule module(::LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(module);
  HRSRC found = ::FindResourceW(module.get(), MAKEINTRESOURCEW(IDW_ALERT_SOUND), L"WAVE");
  ASSERT_NE(found, nullptr);
  const DWORD size = ::SizeofResource(module.get(), found);
  const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(module.get(), found)));
  ASSERT_NE(bytes, nullptr);
  ASSERT_GT(size, 44u);
  EXPECT_EQ(std::string(bytes, 4), "RIFF");
  EXPECT_EQ(std::string(bytes + 8, 4), "WAVE");
}

// (Wine's message box does not take the topmost band from MB_TOPMOST, so that is not checked.)
TEST_F(AlertSupport, MessageAlertAsksYesOrNoWithTheCaptionAndNoOwner) {
  for (int button : {IDYES, IDNO}) {
    std::wstring caption, text;
    const int result = Open([] { return monitor::ShowMessageAlert("New cookies?\nLook now?"); },
                            [&](HWND box) {
                              caption = WindowText(box);
                              text = ControlText(box, 0xFFFF);  // the box's message text
                              EXPECT_NE(::GetDlgItem(box, IDYES), nullptr);
                              EXPECT_NE(::GetDlgItem(box, IDNO), nullptr);
                              EXPECT_EQ(::GetWindow(box, GW_OWNER), nullptr);
                              Click(box, button);
                            });
    EXPECT_EQ(result, button);
    EXPECT_EQ(caption, L"Obrivo");
    EXPECT_NE(text.find(L"New cookies?"), std::wstring::npos) << win32::Narrow(text);
  }
}

TEST_F(AlertSupport, HelpPageInTheProgramFolderWinsOverTheWebSite) {
  const std::string local = common::ProgramFolder() + "\\helpme.html";
  common::DeleteFileForce(local);
  common::HelpTarget target = common::HelpPageTarget(common::kGeneralHelpPage);
  EXPECT_FALSE(target.local);
  EXPECT_EQ(target.location, "https://www.tolvane.com/helpme.html");
  EXPECT_TRUE(common::OpenHelpTarget(nullptr, target));
  EXPECT_EQ(OpenedAddress(), "https://www.tolvane.com/helpme.html");

  ASSERT_TRUE(WriteBytes(local, "<html></html>"));
  target = common::HelpPageTarget(common::kGeneralHelpPage);
  EXPECT_TRUE(target.local);
  EXPECT_EQ(target.location, local);
  common::DeleteFileForce(local);

  // Another interface language looks for its own copy of the page.
  common::WriteStoreString(HKEY_LOCAL_MACHINE, common::kProductKey, "LString634", "de");
  common::App().languageId = 7;
  target = common::HelpPageTarget(common::kGeneralHelpPage);
  EXPECT_EQ(target.location, "https://www.tolvane.com/de_helpme.html");
  const std::string german = common::ProgramFolder() + "\\de_helpme.html";
  ASSERT_TRUE(WriteBytes(german, "<html></html>"));
  EXPECT_EQ(common::HelpPageTarget(common::kGeneralHelpPage).location, german);
  common::DeleteFileForce(german);
}

}  // namespace
}  // namespace obrivo::test
