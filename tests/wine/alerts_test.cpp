// The alert windows driven by control id: the result of every button and of the close box, the
// Info button, the repeat rule, the hide options, the program fields, the history records and
// the remembered position.
#include "monitor/alerts/alerts.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "alert_test_env.h"
#include "common/history.h"
#include "common/win32/dpi.h"
#include "core/dpi.h"
#include "core/history_record.h"
#include "monitor_ids.h"
#include "obrivo_version.h"

namespace obrivo::test {
namespace {

using monitor::AlertKind;
using monitor::State;

// A button press, the close box, Escape (the dialog manager's IDCANCEL), or the Info button
// followed by Yes.
enum class Action { Yes, No, Close, Escape, Info, SecondInfo };

struct KindCase {
  AlertKind kind;
  const wchar_t* title;
  int yesId, noId;
  int yes, no, close;  // the results; Escape answers as the close box
  int type;            // the item type the check passes
};

const KindCase kKinds[] = {
    {AlertKind::Startup, L"Obrivo New Program Alert", IDC_ALERT_YES, IDC_ALERT_NO, 6, 7, 6, 11},
    {AlertKind::Delayed, L"This Program doesn't want to be Delayed", IDC_ALERT_YES, IDC_ALERT_NO, 6,
     7, 6, 11},
    {AlertKind::Task, L"Obrivo New Program Alert", IDC_ALERT_YES, IDC_ALERT_NO, 6, 7, 6, 800},
    {AlertKind::Service, L"Obrivo New Program Alert", IDC_ALERT_YES, IDC_ALERT_NO, 6, 7, 7, 700},
    {AlertKind::IeHelper, L"Obrivo New Program Alert", IDC_ALERT_YES, IDC_ALERT_NO, 6, 7, 6, 900},
    {AlertKind::ActiveX, L"Obrivo New Program Alert", IDC_ALERT_YES, IDC_ALERT_NO, 6, 7, 6, 1200},
    // Closing keeps the file: only the Delete button deletes.
    {AlertKind::Hidden, L"Obrivo New Program Alert", IDC_ALERT_OK, IDC_ALERT_DELETE, 6, 7, 6, 370},
    {AlertKind::FileType, L"Obrivo File Type Change Alert", IDC_ALERT_YES, IDC_ALERT_NO, 6, 7, 6,
     400},
};

class Alerts : public AlertTest {
 protected:
  int Show(AlertKind kind, const std::function<void(HWND)>& drive) {
    return Open([kind] { return monitor::ShowAlert(kind); }, drive);
  }

  std::string Exe() const { return bin_ + "\\Obrivo.exe"; }
};

TEST_F(Alerts, EveryButtonAndTheCloseBoxGiveTheirResult) {
  for (const KindCase& k : kKinds) {
    for (Action action : {Action::Yes, Action::No, Action::Close, Action::Escape}) {
      SCOPED_TRACE(testing::Message()
                   << win32::Narrow(k.title) << " kind " << static_cast<int>(k.kind) << " action "
                   << static_cast<int>(action));
      // A command of its own each time, so that the repeat rule stays out of the way.
      const std::string path = "C:\\Missing\\program" + std::to_string(static_cast<int>(action)) +
                               std::to_string(static_cast<int>(k.kind)) + ".exe";
      SetContext(path, "No Such Service Here", k.type);
      State().alertPath2 = path;
      std::wstring title;
      bool openWhileUp = false;
      State().alertShown = false;
      const int result = Show(k.kind, [&](HWND dialog) {
        title = WindowText(dialog);
        openWhileUp = State().alertOpen;  // the alert's thread waits in its dialog loop
        if (action == Action::Yes) Click(dialog, k.yesId);
        if (action == Action::No) Click(dialog, k.noId);
        if (action == Action::Close) CloseBox(dialog);
        if (action == Action::Escape) ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      });
      EXPECT_EQ(title, k.title);
      EXPECT_EQ(result, action == Action::Yes ? k.yes : action == Action::No ? k.no : k.close);
      EXPECT_TRUE(State().alertPath.empty()) << "the context is cleared";
      EXPECT_TRUE(State().alertTitle.empty());
      // No patrol pass may start under an open alert; the trace learns that one was shown.
      EXPECT_TRUE(openWhileUp);
      EXPECT_FALSE(State().alertOpen);
      EXPECT_TRUE(State().alertShown);
    }
  }
}

TEST_F(Alerts, InfoLooksTheProgramUpAndLeavesTheAlertOpenBelowTheTopmostBand) {
  for (const KindCase& k : kKinds) {
    const bool fileType = k.kind == AlertKind::FileType;
    for (Action action : {Action::Info, Action::SecondInfo}) {
      if (action == Action::SecondInfo && !fileType) continue;
      SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(k.kind) << " action "
                                      << static_cast<int>(action));
      SetContext(Exe(), "Title", k.type);
      State().alertPath2 = bin_ + "\\obrivo_test_helper.exe";
      const int infoId = !fileType                ? IDC_ALERT_INFO
                         : action == Action::Info ? IDC_FT_OLD_INFO
                                                  : IDC_FT_NEW_INFO;
      std::string address;
      bool topmostBefore = false, topmostAfter = true, stayedOpen = false;
      const int result = Show(k.kind, [&](HWND dialog) {
        topmostBefore = IsTopmost(dialog);
        Click(dialog, infoId);
        address = OpenedAddress();
        stayedOpen = ::IsWindow(dialog);
        WaitUntil([&] { return !IsTopmost(dialog); }, std::chrono::seconds(5));
        topmostAfter = IsTopmost(dialog);
        Click(dialog, k.yesId);
      });
      EXPECT_EQ(result, 6);
      EXPECT_TRUE(topmostBefore);
      EXPECT_FALSE(topmostAfter);
      EXPECT_TRUE(stayedOpen);
      const std::string program =
          action == Action::SecondInfo ? "obrivo_test_helper.exe" : "Obrivo.exe";
      EXPECT_NE(address.find("plusinfo.pl?program=" + program), std::string::npos) << address;
      EXPECT_NE(address.find("&Type=" + std::to_string(k.type + 1000) + "&"), std::string::npos)
          << address;
    }
  }
}

TEST_F(Alerts, TheThirdAlertInARowForOneCommandDisablesAndOpensTheHelpPage) {
  const struct {
    bool yes;
    int type;
    std::vector<int> results;
  } cases[] = {
      {true, 11, {6, 6, 11, 6}},  // the count starts again after the repeat
      {false, 11, {7, 7, 11, 7}},
      {false, 256, {11, 11, 11, 11}},  // a notification package is disabled, never removed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "yes " << c.yes << " type " << c.type);
    State().repeatCount = 0;
    State().lastAlertPath.clear();
    State().alertSuppress = 0;
    std::vector<int> results;
    for (std::size_t i = 0; i < c.results.size(); ++i) {
      SetContext("C:\\Tools\\Again.exe -start", "", c.type);
      results.push_back(Show(AlertKind::Startup, [&](HWND dialog) {
        Click(dialog, c.yes ? IDC_ALERT_YES : IDC_ALERT_NO);
      }));
      if (i == 2) {
        EXPECT_EQ(State().repeatCount, 0);
        EXPECT_EQ(State().lastAlertPath, "");
        EXPECT_EQ(State().alertSuppress, c.yes ? 0 : 2) << "a refused repeat quiets the pass";
        const std::string address = OpenedAddress();
        EXPECT_EQ(address, "https://www.tolvane.com/helpme.html");
      }
    }
    EXPECT_EQ(results, c.results);
  }
  // Another command in between: no repeat.
  State().repeatCount = 0;
  for (const char* path : {"C:\\A.exe", "C:\\A.exe", "C:\\B.exe", "C:\\A.exe"}) {
    SetContext(path, "", 11);
    EXPECT_EQ(Show(AlertKind::Startup, [](HWND dialog) { Click(dialog, IDC_ALERT_YES); }), 6)
        << path;
  }
}

TEST_F(Alerts, HideOptionAnswersWithoutAWindowUnlessAlertsAreForced) {
  core::OptionSet& options = common::App().options;
  options.Set(core::OptionId::Sound, 0);
  const struct {
    AlertKind kind;
    core::OptionId hide;
    int hideValue, showAlerts;
    bool shown;
    int result;
  } cases[] = {
      {AlertKind::Startup, core::OptionId::HideStartup, 1, 0, false, 6},
      {AlertKind::Startup, core::OptionId::HideStartup, 2, 0, false, 7},
      {AlertKind::Startup, core::OptionId::HideStartup, 1, 1, true, 7},
      {AlertKind::Startup, core::OptionId::HideStartup, 0, 0, true, 7},
      {AlertKind::Delayed, core::OptionId::HideStartup, 1, 0, false, 6},
      {AlertKind::Task, core::OptionId::HideTasks, 2, 0, false, 7},
      {AlertKind::Task, core::OptionId::HideTasks, 1, 0, false, 6},
      {AlertKind::Task, core::OptionId::HideTasks, 1, 1, true, 7},  // forced: still asked
      {AlertKind::Service, core::OptionId::HideServices, 1, 0, false, 6},
      {AlertKind::IeHelper, core::OptionId::HideIEHelper, 1, 0, false, 6},
      {AlertKind::ActiveX, core::OptionId::HideActiveX, 3, 0, false, 7},
      {AlertKind::Hidden, core::OptionId::HideHidden, 1, 0, false, 6},
      {AlertKind::FileType, core::OptionId::HideFileType, 2, 0, false, 7},
      {AlertKind::FileType, core::OptionId::HideFileType, 2, 1, true, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind) << " hide "
                                    << c.hideValue << " showAlerts " << c.showAlerts);
    options.Set(c.hide, c.hideValue);
    options.Set(core::OptionId::ShowAlerts, c.showAlerts);
    SetContext("C:\\Missing\\hidden.exe", "Hidden Test", 11);
    bool shown = false;
    std::atomic<bool> done{false};
    std::thread watcher([&] {
      // Answer any alert that appears with No, and remember that one did.
      while (!done) {
        if (HWND dialog = FindDialogOf(::GetCurrentProcessId())) {
          shown = true;
          Click(dialog, c.kind == AlertKind::Hidden ? IDC_ALERT_DELETE : IDC_ALERT_NO);
          WaitUntil([&] { return !::IsWindow(dialog); }, std::chrono::seconds(5));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
    const int result = monitor::AskAlert(c.kind);
    done = true;
    watcher.join();
    EXPECT_EQ(shown, c.shown);
    EXPECT_EQ(result, c.result);
    options.Set(c.hide, 0);
  }
}

TEST_F(Alerts, FieldsShowTheFilesVersionInformationOrTheTemplateTexts) {
  const std::wstring company = L"Company name not included in this program.";
  const std::wstring description = L"No Description found";
  const std::wstring copyright = L"No Copyright information included.";
  const struct {
    std::string command;
    std::wstring name, version, company, description, copyright;
    bool icon;
  } cases[] = {
      // The product is the operating system: the description names it; a copyright too long
      // for its field is left out.
      {"\"" + bin_ + "\\version_os_product.dll\",Start", L"Fixture Shell Component", L"6.1.7601",
       L"Fixture Systems", L"Fixture Shell Component", copyright, false},
      {bin_ + "\\version_no_product.dll", L"", L"", company, description, copyright, false},
      {"C:\\Nowhere\\gone.exe /x", L"", L"", company, description, copyright, false},
      {"\"" + Exe() + "\" -q", L"Obrivo", L"" OBRIVO_VERSION_TEXT, L"Tolvane", L"Obrivo Monitor",
       L"Copyright (C) Tolvane", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    SetContext(c.command, "", 800);
    Show(AlertKind::Task, [&](HWND dialog) {
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_COMMAND), win32::Wide(c.command));
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_NAME), c.name);
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_VERSION_LABEL), L"Version:");
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_VERSION), c.version);
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_COMPANY), c.company);
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_DESCRIPTION), c.description);
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_COPYRIGHT), c.copyright);
      const LRESULT icon =
          ::SendDlgItemMessageW(dialog, IDC_ALERT_ITEM_ICON, BM_GETIMAGE, IMAGE_ICON, 0);
      EXPECT_EQ(icon != 0, c.icon);
      Click(dialog, IDC_ALERT_YES);
    });
  }
}

TEST_F(Alerts, StartupAlertNamesTheLocation) {
  const struct {
    int type;
    std::wstring sentence, name;
  } cases[] = {
      {11, L"This program will run each time you login or restart your machine.", L"Obrivo"},
      {12, L"This program will only run the next time you restart your computer", L"Obrivo"},
      {100, L"This program is listed in your WIN.INI file", L"Obrivo"},
      {200, L"A Shortcut to this program has been added to your Startup folder.", L"Obrivo"},
      {251, L"This program will run each time you login", L"WinLogon:Shell"},
      {255, L"This program will run each time you login", L"AppInit_DLLs"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    SetContext(Exe(), "", c.type);
    State().repeatCount = 0;
    Show(AlertKind::Startup, [&](HWND dialog) {
      const std::wstring message = ControlText(dialog, IDC_ALERT_MESSAGE);
      EXPECT_EQ(message.rfind(L"A new auto Startup Program has been detected.\r\n" + c.sentence, 0),
                0u)
          << win32::Narrow(message);
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_NAME), c.name);
      EXPECT_EQ(ControlText(dialog, IDC_ALERT_VERSION_LABEL), L"Version");
      const auto font = [&](int id) {
        return reinterpret_cast<HGDIOBJ>(::SendDlgItemMessageW(dialog, id, WM_GETFONT, 0, 0));
      };
      const int dpi = win32::WindowDpi(dialog);
      EXPECT_EQ(font(IDC_ALERT_NAME), State().fonts.Get(2, dpi));
      EXPECT_EQ(font(IDC_ALERT_COMMAND), State().fonts.Get(3, dpi));
      EXPECT_EQ(font(IDC_ALERT_MESSAGE), State().fonts.Get(3, dpi));
      EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(dialog, IDC_ALERT_CHECK)));
      EXPECT_FALSE(::IsWindowEnabled(::GetDlgItem(dialog, IDC_ALERT_CHECK)));
      if (c.type == 11) {
        SaveDesktopScreenshot(L"monitor-startup-alert.bmp", dialog);
      }
      Click(dialog, IDC_ALERT_YES);
    });
  }
}

// The records of history.txt, as lines split into their six fields.
std::vector<std::vector<std::string>> HistoryRecords() {
  std::vector<std::vector<std::string>> records;
  const std::string text = common::ReadTextFile(common::HistoryFilePath(), false).value_or("");
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) end = text.size();
    std::vector<std::string> fields;
    std::size_t from = start;
    for (;;) {
      const std::size_t tab = text.find('\t', from);
      if (tab == std::string::npos || tab > end) {
        fields.push_back(text.substr(from, end - from));
        break;
      }
      fields.push_back(text.substr(from, tab - from));
      from = tab + 1;
    }
    records.push_back(fields);
    start = end + 2;
  }
  return records;
}

TEST_F(Alerts, OpeningWritesTheDetectedRecord) {
  const struct {
    AlertKind kind;
    int type;
    const char* event;  // nullptr: no record
    const char* typeName;
    const char* title;
  } cases[] = {
      {AlertKind::Startup, 11, "START_Alert", "CURRENT_RUN", "Obrivo"},
      {AlertKind::Startup, 250, "START_Alert", "WINLOGON_Userinit", "WinLogon:UserInit"},
      {AlertKind::Task, 800, "TASK_Alert", "TASK_SCHEDULED", "Obrivo"},
      {AlertKind::IeHelper, 901, "IEHELPER_Alert", "TYPE_BHO", "Obrivo"},
      {AlertKind::ActiveX, 1200, "IEHELPER_Alert", "TYPE_BHO", "Obrivo"},
      {AlertKind::Hidden, 1370, "HIDDEN_Alert", "TYPE_HIDDEN", "Obrivo"},
      {AlertKind::Delayed, 11, nullptr, nullptr, nullptr},
      {AlertKind::Service, 700, nullptr, nullptr, nullptr},
      {AlertKind::FileType, 400, nullptr, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(c.kind));
    common::App().options.Set(core::OptionId::History, 1);
    State().repeatCount = 0;
    const std::size_t before = HistoryRecords().size();
    SetContext(Exe(), "Some Title", c.type);
    State().alertPath2 = Exe();
    Show(c.kind, [&](HWND dialog) {
      const auto records = HistoryRecords();
      ASSERT_EQ(records.size(), before + (c.event ? 1 : 0)) << "written on opening";
      if (c.event) {
        const auto& r = records.back();
        ASSERT_EQ(r.size(), 6u);
        EXPECT_EQ(r[1], c.event);
        EXPECT_EQ(r[2], c.typeName);
        EXPECT_EQ(r[3], c.title);
        EXPECT_EQ(r[4], Exe());
        EXPECT_EQ(r[5], "Obrivo Monitor");
      }
      Click(dialog, c.kind == AlertKind::Hidden ? IDC_ALERT_OK : IDC_ALERT_YES);
    });
  }
}

// The system tells an alert it now shows at another DPI (Wine never does: the test does): the
// alert takes the suggested place, and its name and message fonts the new DPI's sizes.
TEST_F(Alerts, FontsFollowTheAlertToAnotherDpi) {
  const struct {
    AlertKind kind;
    int nameControl, messageControl;
  } cases[] = {
      {AlertKind::Startup, IDC_ALERT_NAME, IDC_ALERT_COMMAND},
      {AlertKind::FileType, IDC_FT_OLD_NAME, IDC_FT_OLD_COMMAND},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.kind));
    SetContext(Exe(), "", c.kind == AlertKind::FileType ? 400 : 11);
    State().repeatCount = 0;
    Show(c.kind, [&](HWND dialog) {
      HWND name = ::GetDlgItem(dialog, c.nameControl);
      HWND message = ::GetDlgItem(dialog, c.messageControl);
      const int dpi = win32::WindowDpi(dialog);
      EXPECT_EQ(FontHeight(name), core::ScaleToDpi(18, dpi));
      EXPECT_EQ(FontHeight(message), core::ScaleToDpi(14, dpi));
      RECT shown{};
      ::GetWindowRect(dialog, &shown);
      for (int newDpi : {144, 192, dpi}) {
        SCOPED_TRACE(newDpi);
        const RECT suggested = SendDpiChanged(dialog, newDpi, shown, dpi);
        EXPECT_TRUE(HasRect(dialog, suggested));
        EXPECT_EQ(FontHeight(name), core::ScaleToDpi(18, newDpi));
        EXPECT_EQ(FontHeight(message), core::ScaleToDpi(14, newDpi));
      }
      Click(dialog, IDC_ALERT_YES);
    });
  }
}

TEST_F(Alerts, PositionIsRememberedAndPulledBackOntoTheScreen) {
  const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
  const auto place = [&](AlertKind kind) {
    RECT r{};
    SetContext(Exe(), "", 11);
    State().repeatCount = 0;
    Show(kind, [&](HWND dialog) {
      ::GetWindowRect(dialog, &r);
      CloseBox(dialog);
    });
    return r;
  };
  // Nothing stored: centred, at a third of the free height.
  RECT r = place(AlertKind::Task);
  EXPECT_EQ(r.left, (screenWidth - (r.right - r.left)) / 2);
  EXPECT_EQ(r.top, (screenHeight - (r.bottom - r.top)) / 3);
  EXPECT_EQ(common::ReadStoreString(common::kProductKey, HKEY_CURRENT_USER, "xPosAlert", 16),
            std::to_string(r.left));
  EXPECT_EQ(common::ReadStoreString(common::kProductKey, HKEY_CURRENT_USER, "dyAlert", 16),
            std::to_string(r.bottom - r.top));
  EXPECT_EQ(common::ReadOption("StartTab", -1), 0);
  EXPECT_EQ(common::ReadOption("Update", -1), 1);

  const struct {
    int x, y;
    int expectedX, expectedY;
  } cases[] = {
      {120, 90, 120, 90},
      {5000, 4000, screenWidth / 2, screenHeight / 2},  // moved off the screen
      {-3000, 50, screenWidth / 2, 50},
  };
  for (const auto& c : cases) {
    for (AlertKind kind : {AlertKind::Startup, AlertKind::FileType}) {
      SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " kind " << static_cast<int>(kind));
      common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "xPosAlert",
                               std::to_string(c.x));
      common::WriteStoreString(HKEY_CURRENT_USER, common::kProductKey, "yPosAlert",
                               std::to_string(c.y));
      common::WriteStoreString(HKEY_CURRENT_USER, common::kOptionsKey, "Update", "0");
      r = place(kind);
      EXPECT_EQ(r.left, c.expectedX);
      EXPECT_EQ(r.top, c.expectedY);
      EXPECT_EQ(common::ReadStoreString(common::kProductKey, HKEY_CURRENT_USER, "yPosAlert", 16),
                std::to_string(c.expectedY))
          << "closing keeps the place it was shown at";
      EXPECT_EQ(common::ReadOption("Update", -1), 1);
    }
  }
}

}  // namespace
}  // namespace obrivo::test
