// The advanced settings dialog on a real window: shown for a korvan.ini in a scratch directory and
// driven from a second thread with the messages a user's clicks and keys produce.
#include "app/settings_dialog/advanced_settings_dialog.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "app/settings_dialog/advanced_settings_form.h"
#include "platform/win32/ini_file.h"
#include "platform/win32/threads.h"
#include "platform/win32/wide_text.h"
#include "scratch_directory.h"

namespace korvan {
namespace {

using korvan::testing::ScratchDirectory;

const Text kSection = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3";  // 高级设置
const Text kSaved =
    "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xD2\xD1\xB1\xA3\xB4\xE6\xA3\xAC\xCF\xC2\xB4\xCE\xD4\xCB\xD0\xD0\xC6\xF0\xC9\xFA"
    "\xD0\xA7\xA3\xAC\xCE\xDE\xD0\xE8\xD6\xD8\xC6\xF4";  // 高级设置已保存，下次运行起生效，无需重启
const Text kSaveFailed = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3\xB1\xA3\xB4\xE6\xCA\xA7\xB0\xDC";  // 高级设置保存失败
const Text kOk = "Server\xBD\xB4\xA3\xBA\xB3\xC9\xB9\xA6";                                    // Server酱：成功
const Text kFailed =
    "Bark\xA3\xBA\xCA\xA7\xB0\xDC\xA3\xA8\xCE\xDE\xB7\xA8\xC1\xAC\xBD\xD3\xA3\xA9";  // Bark：失败（无法连接）
const Text kUrl = "https://127.0.0.1:19630/send";
// 请改正或清空以下地址后再点“确定”：, Server酱：地址须以 http:// 或 https:// 开头, Bark：地址无效
const Text kRefusedUrls =
    "\xC7\xEB\xB8\xC4\xD5\xFD\xBB\xF2\xC7\xE5\xBF\xD5\xD2\xD4\xCF\xC2\xB5\xD8\xD6\xB7\xBA\xF3\xD4\xD9\xB5\xE3\xA1\xB0"
    "\xC8\xB7"
    "\xB6\xA8\xA1\xB1\xA3\xBA\r\nServer\xBD\xB4\xA3\xBA\xB5\xD8\xD6\xB7\xD0\xEB\xD2\xD4 http:// \xBB\xF2 https:// "
    "\xBF\xAA\xCD\xB7\r\nBark\xA3\xBA\xB5\xD8\xD6\xB7\xCE\xDE\xD0\xA7";

class FileStore final : public IniStore {
 public:
  explicit FileStore(Text file) : file_(std::move(file)) {}
  Text Read(std::string_view section, std::string_view key) override { return ReadIniItem(file_, section, key); }
  bool Write(std::string_view section, std::string_view key, std::string_view value) override {
    return WriteIniItem(file_, section, key, value);
  }

 private:
  Text file_;
};

HWND FieldOf(HWND dialog, AdvancedField field) { return GetDlgItem(dialog, AdvancedFieldId(field)); }

Text TextOf(HWND dialog, AdvancedField field) {
  wchar_t text[512] = {};
  GetWindowTextW(FieldOf(dialog, field), text, 512);
  return WideToAnsi(text);
}

// A step of the user's, on the driving thread; what it returns goes into the case's notes.
using Step = std::function<Text(HWND dialog, DWORD dialogThread)>;

Step Send(AdvancedField field, UINT message, WPARAM wParam = 0) {
  return [=](HWND dialog, DWORD) {
    SendMessageW(FieldOf(dialog, field), message, wParam, 0);
    return Text();
  };
}
Step Click(AdvancedField field) { return Send(field, BM_CLICK); }
Step Choose(int notifyIndex) { return Send(AdvancedField::Notify, CB_SETCURSEL, notifyIndex); }

Step Type(AdvancedField field, Text text) {
  return [=](HWND dialog, DWORD) {
    SetWindowTextW(FieldOf(dialog, field), AnsiToWide(text).c_str());
    return Text();
  };
}

// A key pressed on the focused control, posted as the keyboard would.
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

// What the dialog shows: the check boxes, one text box, the notify choice, the test button's state.
Step Observe(AdvancedField textBox) {
  return [textBox](HWND dialog, DWORD) {
    auto checked = [dialog](AdvancedField field) {
      return SendMessageW(FieldOf(dialog, field), BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0";
    };
    return JoinTexts(checked(AdvancedField::Verify), checked(AdvancedField::History), " ", TextOf(dialog, textBox), " ",
                     std::to_string(SendMessageW(FieldOf(dialog, AdvancedField::Notify), CB_GETCURSEL, 0, 0)),
                     IsWindowEnabled(FieldOf(dialog, AdvancedField::SendTest)) ? " on;" : " off;");
  };
}

// Whether the control is enabled, and which control has the focus.
Step Enabled(AdvancedField field) {
  return [field](HWND dialog, DWORD) { return Text(IsWindowEnabled(FieldOf(dialog, field)) ? "on;" : "off;"); };
}
Step Focused() {
  return [](HWND, DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(thread, &info);
    return std::to_string(GetDlgCtrlID(info.hwndFocus)) + ";";
  };
}
Step Shown(AdvancedField field) {
  return [field](HWND dialog, DWORD) { return TextOf(dialog, field) + ";"; };
}

// Waits (bounded) until the test's answer has replaced the sending notice, and notes it.
Step AwaitTestResult() {
  return [](HWND dialog, DWORD) {
    for (int tries = 0; tries < 100; ++tries, Sleep(50)) {
      const Text shown = TextOf(dialog, AdvancedField::TestResult);
      if (!shown.empty() && shown != kSendingTestMessages) return shown + ";";
    }
    return Text("no result;");
  };
}

RECT RectOf(HWND dialog, HWND control) {
  RECT rect{};
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

bool Inside(const RECT& inner, const RECT& outer) {
  RECT common{};
  return IntersectRect(&common, &inner, &outer) && EqualRect(&common, &inner);
}

// The dialog as built, at the screen's DPI: each child inside the client area; a group's frame
// holds whole controls or none, among them every field of its group; no two others meet; each text
// box has its cue; the result box shows a line per channel without scrolling.
Step LayoutFaults() {
  return [](HWND dialog, DWORD) {
    Text faults;
    RECT client{};
    GetClientRect(dialog, &client);
    auto isFrame = [](HWND child) { return (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX; };
    for (HWND a = GetWindow(dialog, GW_CHILD); a; a = GetWindow(a, GW_HWNDNEXT)) {
      if (!Inside(RectOf(dialog, a), client)) faults += std::to_string(GetDlgCtrlID(a)) + " outside;";
      for (HWND b = GetWindow(a, GW_HWNDNEXT); b; b = GetWindow(b, GW_HWNDNEXT)) {
        const RECT ra = RectOf(dialog, a), rb = RectOf(dialog, b);
        RECT common{};
        if (IntersectRect(&common, &ra, &rb) && !(isFrame(a) && Inside(rb, ra)) && !(isFrame(b) && Inside(ra, rb)))
          faults += JoinTexts(std::to_string(GetDlgCtrlID(a)), " meets ", std::to_string(GetDlgCtrlID(b)), ";");
      }
    }
    for (const auto& row : kAdvancedFields) {
      HWND field = FieldOf(dialog, row.field);
      HWND frame = GetDlgItem(dialog, AdvancedGroupId(row.group));
      if (row.group != AdvancedGroup::None && (!frame || !Inside(RectOf(dialog, field), RectOf(dialog, frame))))
        faults += std::to_string(AdvancedFieldId(row.field)) + " out of its group;";
      wchar_t cue[128] = {};
      const auto cueShown = [&] {
        return SendMessageW(field, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 128) && *cue;
      };
      if (row.kind == AdvancedFieldKind::TextBox && !cueShown())
        faults += std::to_string(AdvancedFieldId(row.field)) + " without cue;";
    }
    Text lines;
    for (const AlertField& alert : kAlertFields) {
      if (alert.channel) lines += JoinTexts(alert.caption, "\r\n");
    }
    lines.resize(lines.size() - 2);
    SetWindowTextW(FieldOf(dialog, AdvancedField::TestResult), AnsiToWide(lines).c_str());
    SCROLLINFO bar{sizeof(bar), SIF_PAGE | SIF_RANGE, 0, 0, 0, 0, 0};
    GetScrollInfo(FieldOf(dialog, AdvancedField::TestResult), SB_VERT, &bar);
    if (bar.nMax >= bar.nMin + static_cast<int>(bar.nPage)) faults += "result box scrolls;";
    return faults;
  };
}

HWND FindDialog(DWORD thread) {
  HWND found = nullptr;
  for (int tries = 0; tries < 200 && !found; ++tries, Sleep(25)) {
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
  }
  return found;
}

struct DialogCase {
  const char* name;
  std::map<Text, Text> stored;  // the section before; the key "" puts a directory in the file's place
  std::vector<Step> steps;
  Text notes;
  std::vector<Text> log;
  std::map<Text, Text> written;  // empty: no file afterwards
  bool withTestHook = true;
};

struct Outcome {
  Text notes;
  std::vector<Text> log;
  std::vector<AlertSettings> tested;
  bool leftOpen = false;
};

Outcome RunDialog(const Text& file, const DialogCase& c) {
  for (const auto& [key, value] : c.stored) {
    if (key.empty()) std::filesystem::create_directory(file);
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
      return std::vector<PushTestResult>{{PushChannel::ServerChan, true, {}},
                                         {PushChannel::Bark, false, Text(kNoAnswerReason)}};
    };
  }
  const DWORD thread = GetCurrentThreadId();
  UniqueHandle driver;
  StartThread(
      [&] {
        HWND dialog = FindDialog(thread);
        if (!dialog) return;
        for (const Step& step : c.steps)
          outcome.notes += step(dialog, thread);
        for (int tries = 0; tries < 40 && IsWindow(dialog); ++tries)
          Sleep(50);
        outcome.leftOpen = IsWindow(dialog);
        if (outcome.leftOpen) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      },
      &driver);
  FileStore store(file);
  ShowAdvancedSettingsDialog(nullptr, hooks, store);
  WaitForSingleObject(driver.Get(), 15000);
  return outcome;
}

TEST(AdvancedSettingsDialogTest, WritesWhatTheUserEnteredOnConfirmOnly) {
  using F = AdvancedField;
  // clang-format off
  const DialogCase cases[] = {
      // name, korvan.ini before, the user's steps, notes, log, korvan.ini after
      {"VerifyOnly", {}, {Click(F::Verify), Click(F::Ok)}, "", {kSaved},
       {{"verify", "1"}, {"history", "0"}, {"notify", ""}, {"serverchan", ""}}},
      {"Both", {}, {Click(F::Verify), Click(F::History), Click(F::Ok)}, "", {kSaved},
       {{"verify", "1"}, {"history", "1"}}},
      {"UrlAndNotifyAll", {}, {Type(F::ServerChan, kUrl), Choose(2), Click(F::Ok)}, "", {kSaved},
       {{"verify", "0"}, {"serverchan", kUrl}, {"notify", "all"}, {"bark", ""}}},
      {"FilledFromTheFileAndKeptAsItWas", {{"verify", "1"}, {"wecom", kUrl}, {"notify", "renew"}},
       {Observe(F::WeCom), Click(F::Ok)}, "10 " + kUrl + " 1 on;", {kSaved},
       {{"verify", "1"}, {"history", "0"}, {"wecom", kUrl}, {"notify", "renew"}}},
      {"CancelWritesNothing", {}, {Click(F::Verify), Type(F::Bark, kUrl), Click(F::Cancel)}, "", {}, {}},
      {"TabSpaceAndEnter", {}, {Press(VK_TAB), Press(VK_SPACE), Press(VK_RETURN)}, "", {kSaved},
       {{"verify", "0"}, {"history", "1"}}},
      {"EscapeCancels", {}, {Click(F::History), Press(VK_ESCAPE)}, "", {}, {}},
      // Off and never stored: the two keys stay out of the file.
      {"PlanKeysStayAbsentWhenOff", {}, {Click(F::History), Click(F::Ok)}, "", {kSaved},
       {{"history", "1"}, {"deadline", ""}, {"wake", ""}}},
      {"DeadlineAndWake", {}, {Click(F::Deadline), Click(F::Wake), Click(F::Ok)}, "", {kSaved},
       {{"verify", "0"}, {"history", "0"}, {"deadline", "1"}, {"wake", "1"}}},
      // 唤醒 is greyed while 按时续期 is not ticked, and keeps its tick.
      {"StoredDeadlineShownAndClearedAsZero", {{"deadline", "1"}},
       {Enabled(F::Wake), Click(F::Wake), Click(F::Deadline), Enabled(F::Wake), Click(F::Ok)}, "on;off;", {kSaved},
       {{"deadline", "0"}, {"wake", "1"}}},
      {"WakeGreyedUntilDeadlineTicked", {}, {Enabled(F::Wake), Click(F::Deadline), Enabled(F::Wake), Click(F::Cancel)},
       "off;on;", {}, {}},
      // A URL the pushes would never request keeps the dialog open, said and focused, until mended or
      // emptied; the DingTalk secret and a blank box are no URL.
      {"UnusableUrlsRefusedUntilMended", {},
       {Type(F::ServerChan, "sctapi.ftqq.com/SCT1.send"), Type(F::WeCom, kUrl), Type(F::DingTalkSecret, "SEC01"),
        Type(F::Telegram, "  "), Type(F::Bark, "https://bad host/"), Click(F::Ok), Shown(F::TestResult), Focused(), Type(F::ServerChan, ""), Type(F::Bark, kUrl), Click(F::Ok)},
       kRefusedUrls + ";" + std::to_string(AdvancedFieldId(F::ServerChan)) + ";", {kSaved},
       {{"serverchan", ""}, {"wecom", kUrl}, {"bark", kUrl}}},
      {"TabReachesDeadlineThenWake", {},
       {Press(VK_TAB), Press(VK_TAB), Press(VK_SPACE), Press(VK_TAB), Press(VK_SPACE), Press(VK_RETURN)}, "", {kSaved},
       {{"verify", "0"}, {"history", "0"}, {"deadline", "1"}, {"wake", "1"}}},
      {"UnwritableFileLogsFailure", {{"", ""}}, {Click(F::Verify), Click(F::Ok)}, "", {kSaveFailed}, {}},
      {"TestButtonShowsEachChannel", {},
       {Type(F::Feishu, kUrl), Click(F::SendTest), AwaitTestResult(), Click(F::Cancel)},
       kOk + "\r\n" + kFailed + ";", {}, {}},
      {"WithoutTestHookTheButtonIsOff", {}, {Observe(F::Heartbeat), Click(F::SendTest), Click(F::Cancel)},
       "00  0 off;", {}, {}, false},
  };
  // clang-format on
  for (const DialogCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDirectory scratch;
    const Text file = scratch / "korvan.ini";
    const Outcome outcome = RunDialog(file, c);
    EXPECT_FALSE(outcome.leftOpen);
    EXPECT_EQ(outcome.notes, c.notes);
    EXPECT_EQ(outcome.log, c.log);
    const bool fileStored = !c.stored.empty() && !c.stored.count("");
    EXPECT_EQ(std::filesystem::is_regular_file(file), fileStored || !c.written.empty());
    for (const auto& [key, value] : c.written)
      EXPECT_EQ(ReadIniItem(file, kSection, key), value) << key;
    // The test messages go to the channels as entered, not as stored.
    const bool pressedTest = c.notes.find(kOk) != Text::npos;
    ASSERT_EQ(outcome.tested.size(), pressedTest ? 1u : 0u);
    if (pressedTest) {
      EXPECT_EQ(outcome.tested[0].feishu, kUrl);
    }
  }
}

TEST(AdvancedSettingsDialogTest, ControlsStayInTheirGroupsInsideTheDialogWithoutOverlap) {
  ScratchDirectory scratch;
  const Outcome outcome =
      RunDialog(scratch / "korvan.ini", {"Layout", {}, {LayoutFaults(), Click(AdvancedField::Cancel)}, "", {}, {}});
  EXPECT_FALSE(outcome.leftOpen);
  EXPECT_EQ(outcome.notes, "");
}

}  // namespace
}  // namespace korvan

// "--show SECONDS": the dialog with two fields set, for a screenshot, closed after that many seconds.
int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--show") == 0) {
    using namespace korvan;
    ScratchDirectory scratch;
    FileStore store(scratch / "korvan.ini");
    store.Write(kSection, "history", "1");
    store.Write(kSection, "serverchan", "https://127.0.0.1/SCT0000.send");
    StartThread([seconds = std::atoi(argv[2]), thread = GetCurrentThreadId()] {
      HWND dialog = FindDialog(thread);
      Sleep(static_cast<DWORD>(seconds) * 1000);
      if (dialog) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    ShowAdvancedSettingsDialog(nullptr, {{}, [](const AlertSettings&) { return std::vector<PushTestResult>(); }, {}},
                               store);
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
