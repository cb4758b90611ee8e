// The advanced settings dialog on a real window: shown for a korvan.ini in a scratch directory and
// driven from a second thread with the messages a user's clicks and keys produce.
#include "app/advanced_settings_dialog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/advanced_settings_form.h"
#include "runtime/system/handles.h"
#include "runtime/system/ini_file.h"
#include "runtime/system/threads.h"
#include "runtime/system/wide_text.h"
#include "scratch_directory.h"

namespace korvan {
namespace {

using korvan::testing::ScratchDirectory;

const Text kSection = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3";                                     // 高级设置
const Text kSaved = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xD2\xD1\xB1\xA3\xB4\xE6";               // 高级设置已保存
const Text kSaveFailed = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC";  // 高级设置保存失败
// Server酱：成功 / Bark：失败（无法连接）
const Text kTestAnswer =
    "Server\xBD\xB4\xA3\xBA\xB3\xC9\xB9\xA6\nBark\xA3\xBA\xCA\xA7\xB0\xDC\xA3\xA8\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xA3"
    "\xA9";
const Text kUrl = "https://127.0.0.1:19630/send";

class FileStore final : public ConfigStore {
 public:
  explicit FileStore(Text file) : file_(std::move(file)) {}
  Text Read(std::string_view section, std::string_view key) override { return ReadIniItem(file_, section, key); }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    return WriteIniItem(file_, section, key, value);
  }

 private:
  Text file_;
};

int IdOf(AdvancedField field) {
  const AdvancedFieldSpec& spec = AdvancedFieldSpecOf(field);
  if (spec.kind == AdvancedFieldKind::OkButton) return IDOK;
  if (spec.kind == AdvancedFieldKind::CancelButton) return IDCANCEL;
  return 2001 + static_cast<int>(field);
}

HWND FieldOf(HWND dialog, AdvancedField field) { return GetDlgItem(dialog, IdOf(field)); }

Text TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return WideToAnsi(text);
}

// A step of the user's, on the driving thread; what it returns goes into the case's notes.
using Step = std::function<Text(HWND dialog, DWORD dialogThread)>;

Step Click(AdvancedField field) {
  return [field](HWND dialog, DWORD) {
    SendMessageW(FieldOf(dialog, field), BM_CLICK, 0, 0);
    return Text();
  };
}

Step Type(AdvancedField field, Text text) {
  return [field, text](HWND dialog, DWORD) {
    SetWindowTextW(FieldOf(dialog, field), AnsiToWide(text).c_str());
    return Text();
  };
}

Step Choose(int notifyIndex) {
  return [notifyIndex](HWND dialog, DWORD) {
    SendMessageW(FieldOf(dialog, AdvancedField::Notify), CB_SETCURSEL, notifyIndex, 0);
    return Text();
  };
}

// A key pressed on the focused control, as the keyboard would post it.
Step Press(WPARAM key) {
  return [key](HWND, DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(thread, &info) || !info.hwndFocus) return Text("no focus;");
    PostMessageW(info.hwndFocus, WM_KEYDOWN, key, 1);
    PostMessageW(info.hwndFocus, WM_KEYUP, key, 0xC0000001);
    Sleep(150);
    return Text();
  };
}

// What the dialog shows: the check boxes, a text box, the notify choice, the test button's state.
Step Observe(AdvancedField textBox) {
  return [textBox](HWND dialog, DWORD) {
    auto checked = [dialog](AdvancedField field) {
      return SendMessageW(FieldOf(dialog, field), BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0";
    };
    return JoinTexts("verify=", checked(AdvancedField::Verify), " history=", checked(AdvancedField::History),
                     " text=", TextOf(FieldOf(dialog, textBox)), " notify=",
                     std::to_string(SendMessageW(FieldOf(dialog, AdvancedField::Notify), CB_GETCURSEL, 0, 0)),
                     " test=", IsWindowEnabled(FieldOf(dialog, AdvancedField::SendTest)) ? "on" : "off", ";");
  };
}

// Waits (bounded) until the test's answer has replaced the sending notice, and notes it.
Step AwaitTestResult() {
  return [](HWND dialog, DWORD) {
    HWND box = FieldOf(dialog, AdvancedField::TestResult);
    for (int tries = 0; tries < 100; ++tries) {
      const Text shown = TextOf(box);
      if (!shown.empty() && shown != kSendingTestMessages) return shown + ";";
      Sleep(50);
    }
    return Text("no result;");
  };
}

HWND FindDialog(DWORD thread) {
  for (int tries = 0; tries < 200; ++tries) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM result) {
          wchar_t className[16] = {};
          GetClassNameW(window, className, 16);
          if (std::wcscmp(className, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
          *reinterpret_cast<HWND*>(result) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    Sleep(25);
  }
  return nullptr;
}

struct DialogCase {
  const char* name;
  std::map<Text, Text> stored;  // korvan.ini's section before; "" as key: the file is a directory
  std::vector<Step> steps;
  Text notes;
  std::vector<Text> log;
  std::map<Text, Text> written;  // absent: no file at all afterwards
  bool withTestHook = true;
};

struct Outcome {
  Text notes;
  std::vector<Text> log;
  std::vector<AlertSettings> tested;
  bool fileExists = false;
  bool leftOpen = false;
};

Outcome RunDialog(const ScratchDirectory& scratch, const DialogCase& c) {
  const Text file = scratch / "korvan.ini";
  if (c.stored.count("")) std::filesystem::create_directory(file);
  for (const auto& [key, value] : c.stored) {
    if (!key.empty()) WriteIniItem(file, kSection, key, value);
  }
  Outcome outcome;
  std::mutex testedMutex;
  AdvancedSettingsDialogHooks hooks;
  hooks.appendLog = [&outcome](std::string_view message) { outcome.log.emplace_back(message); };
  if (c.withTestHook) {
    hooks.sendTestMessages = [&outcome, &testedMutex](const AlertSettings& alerts) {
      const std::lock_guard<std::mutex> lock(testedMutex);
      outcome.tested.push_back(alerts);
      return kTestAnswer;
    };
  }
  const DWORD thread = GetCurrentThreadId();
  UniqueHandle driver;
  Text notes;
  bool leftOpen = false;
  StartThread(
      [&] {
        HWND dialog = FindDialog(thread);
        if (!dialog) return;
        for (const Step& step : c.steps)
          notes += step(dialog, thread);
        for (int tries = 0; tries < 40 && IsWindow(dialog); ++tries)
          Sleep(50);
        if (IsWindow(dialog)) {
          leftOpen = true;
          PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
      },
      &driver);
  FileStore store(file);
  ShowAdvancedSettingsDialog(nullptr, hooks, store);
  WaitForSingleObject(driver.Get(), 15000);
  outcome.notes = notes;
  outcome.leftOpen = leftOpen;
  outcome.fileExists = std::filesystem::is_regular_file(file);
  return outcome;
}

const Text kNoKey;

TEST(AdvancedSettingsDialogTest, WritesWhatTheUserEnteredOnConfirmOnly) {
  const DialogCase cases[] = {
      {"VerifyOnly",
       {},
       {Click(AdvancedField::Verify), Click(AdvancedField::Ok)},
       "",
       {kSaved},
       {{"verify", "1"}, {"history", "0"}, {"notify", kNoKey}, {"serverchan", kNoKey}}},
      {"Both",
       {},
       {Click(AdvancedField::Verify), Click(AdvancedField::History), Click(AdvancedField::Ok)},
       "",
       {kSaved},
       {{"verify", "1"}, {"history", "1"}}},
      {"UrlAndNotifyAll",
       {},
       {Type(AdvancedField::ServerChan, kUrl), Choose(2), Click(AdvancedField::Ok)},
       "",
       {kSaved},
       {{"verify", "0"}, {"serverchan", kUrl}, {"notify", "all"}, {"bark", kNoKey}}},
      {"FilledFromTheFileAndKeptAsItWas",
       {{"verify", "1"}, {"wecom", kUrl}, {"notify", "renew"}},
       {Observe(AdvancedField::WeCom), Click(AdvancedField::Ok)},
       "verify=1 history=0 text=" + kUrl + " notify=1 test=on;",
       {kSaved},
       {{"verify", "1"}, {"history", "0"}, {"wecom", kUrl}, {"notify", "renew"}}},
      {"CancelWritesNothing",
       {},
       {Click(AdvancedField::Verify), Type(AdvancedField::Bark, kUrl), Click(AdvancedField::Cancel)},
       "",
       {},
       {}},
      {"TabSpaceAndEnter",
       {},
       {Press(VK_TAB), Press(VK_SPACE), Press(VK_RETURN)},
       "",
       {kSaved},
       {{"verify", "0"}, {"history", "1"}}},
      {"EscapeCancels", {}, {Click(AdvancedField::History), Press(VK_ESCAPE)}, "", {}, {}},
      {"UnwritableFileLogsFailure",
       {{"", ""}},
       {Click(AdvancedField::Verify), Click(AdvancedField::Ok)},
       "",
       {kSaveFailed},
       {}},
      {"TestButtonShowsEachChannelAndWritesNothing",
       {},
       {Type(AdvancedField::Feishu, kUrl), Click(AdvancedField::SendTest), AwaitTestResult(),
        Click(AdvancedField::Cancel)},
       "Server\xBD\xB4\xA3\xBA\xB3\xC9\xB9\xA6\r\nBark\xA3\xBA\xCA\xA7\xB0\xDC\xA3\xA8\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3"
       "\xA3\xA9;",
       {},
       {}},
      {"WithoutTestHookTheButtonIsOff",
       {},
       {Observe(AdvancedField::Heartbeat), Click(AdvancedField::SendTest), Click(AdvancedField::Cancel)},
       "verify=0 history=0 text= notify=0 test=off;",
       {},
       {},
       false},
  };
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory scratch;
    const Outcome outcome = RunDialog(scratch, c);
    EXPECT_FALSE(outcome.leftOpen);
    EXPECT_EQ(outcome.notes, c.notes);
    EXPECT_EQ(outcome.log, c.log);
    const bool directoryInPlace = c.stored.count("") > 0;
    EXPECT_EQ(outcome.fileExists, !c.written.empty() || (!c.stored.empty() && !directoryInPlace));
    for (const auto& [key, value] : c.written) {
      EXPECT_EQ(ReadIniItem(scratch / "korvan.ini", kSection, key), value) << key;
    }
    const bool pressedTest = Text(c.name).find("TestButton") == 0;
    ASSERT_EQ(outcome.tested.size(), pressedTest ? 1u : 0u);
    if (pressedTest) {
      EXPECT_EQ(outcome.tested[0].feishu, kUrl);
    }
  }
}

}  // namespace
}  // namespace korvan

// "--show SECONDS" shows the dialog with a few fields set for a screenshot and closes it afterwards.
int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--show") == 0) {
    using namespace korvan;
    ScratchDirectory scratch;
    FileStore store(scratch / "korvan.ini");
    store.Write(kSection, "history", "1");
    store.Write(kSection, "serverchan", "https://127.0.0.1/SCT0000.send");
    const int seconds = std::atoi(argv[2]);
    StartThread([seconds] {
      HWND dialog = nullptr;
      for (int tries = 0; tries < 200 && !dialog; ++tries, Sleep(25))
        dialog = FindWindowW(L"#32770", nullptr);
      Sleep(static_cast<DWORD>(seconds) * 1000);
      if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ShowAdvancedSettingsDialog(nullptr, AdvancedSettingsDialogHooks{{}, [](const AlertSettings&) { return Text(); }},
                               store);
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
