#include "app/settings_dialog/advanced_settings_dialog.h"

#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "app/controls/window_scale.h"
#include "app/settings_dialog/advanced_settings_form.h"
#include "app/window_thread/window_thread.h"
#include "platform/win32/ini_file_store.h"
#include "platform/win32/handles.h"
#include "platform/win32/program_location.h"
#include "platform/win32/threads.h"
#include "platform/win32/wide_text.h"

namespace korvan {
namespace {

static_assert(kAdvancedOkId == IDOK && kAdvancedCancelId == IDCANCEL);

// A drop-down list's height is that of the open list: room for the notify choices.
constexpr int kChoiceListHeight = 100;
// The caption of a refused URL.
constexpr COLORREF kRefusedCaptionColour = RGB(192, 0, 0);

// The dialog box itself is built in code, so its template is only the frame: no controls, no font.
std::vector<WORD> FrameTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* frame = reinterpret_cast<DLGTEMPLATE*>(words.data());
  frame->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
  words.push_back(0);  // no menu
  words.push_back(0);  // the standard dialog class
  for (wchar_t c : AnsiToWide(kAdvancedDialogCaption))
    words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  return words;
}

// Where the worker sending the test messages hands its answer, on the dialog's thread; empty once
// the dialog is gone.
struct TestRun {
  std::function<void(const std::vector<PushTestResult>&)> done;
};

class AdvancedSettingsDialog {
 public:
  AdvancedSettingsDialog(const AdvancedSettingsDialogHooks& hooks, IniStore& store)
      : hooks_(hooks), store_(store), testRun_(std::make_shared<TestRun>()) {}

  void Show(HWND owner) {
    const std::vector<WORD> frame = FrameTemplate();
    DialogBoxIndirectParamW(GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(frame.data()), owner,
                            DialogProc, reinterpret_cast<LPARAM>(this));
  }

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* self = reinterpret_cast<AdvancedSettingsDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (!self) return FALSE;
    switch (message) {
      case WM_INITDIALOG:
        self->dialog_ = dialog;
        self->OnInitDialog();
        return FALSE;  // the focus is set
      case WM_COMMAND: self->OnCommand(LOWORD(wParam)); return TRUE;
      case WM_CTLCOLORSTATIC: return self->MarkedCaption(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
      case kRunPostedWorkMessage: RunCarriedWork(message, lParam); return TRUE;
      case WM_DESTROY: self->OnDestroy(); return FALSE;
      default: return FALSE;
    }
  }

  int Scaled(int value) const { return ScaledToDpi(value, dpi_); }
  HWND Field(AdvancedField field) const { return GetDlgItem(dialog_, AdvancedFieldId(field)); }

  void OnInitDialog() {
    dpi_ = ScreenDpi();
    ChooseFont();
    AdvancedGroup group = AdvancedGroup::None;
    for (const auto& row : kAdvancedFields) {
      if (row.group != group && row.group != AdvancedGroup::None) CreateGroup(row.group);
      group = row.group;
      CreateField(row);
    }
    stored_ = ReadAdvancedDialogValues(store_);
    Fill(stored_);
    EnableWake();
    testRun_->done = [this](const std::vector<PushTestResult>& results) { OnTestDone(results); };
    PlaceFrame();
    SetFocus(Field(kAdvancedFields[0].field));
  }

  // As the main window: the stock GUI font, drawn larger on a scaled screen unless Wine already did.
  void ChooseFont() {
    font_ = ScaledGuiFont(dpi_, scaledFont_);
    SendMessageW(dialog_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }

  // The client area at its scaled size, centred on the owner (or the screen).
  void PlaceFrame() {
    RECT frame{0, 0, Scaled(kAdvancedDialogWidth), Scaled(kAdvancedDialogHeight)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE)));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT around{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HWND owner = GetWindow(dialog_, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
    int left = around.left + (around.right - around.left - width) / 2;
    int top = around.top + (around.bottom - around.top - height) / 2;
    // Never above or left of the screen, where the caption could not be reached.
    left = left < 0 ? 0 : left;
    top = top < 0 ? 0 : top;
    SetWindowPos(dialog_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  HWND CreateChild(const wchar_t* className,
                   const std::wstring& text,
                   DWORD style,
                   DWORD exStyle,
                   int id,
                   int left,
                   int top,
                   int width,
                   int height) {
    return CreateChildWindow(dialog_, {className, text, style, exStyle, id, left, top, width, height}, dpi_, font_);
  }

  // Just before its first field, where a dialog template would list it.
  void CreateGroup(AdvancedGroup group) {
    for (const AdvancedGroupTitle& entry : kAdvancedGroups) {
      if (entry.group != group) continue;
      const FormBox frame = GroupFrame(group);
      CreateChild(L"BUTTON", AnsiToWide(entry.title), BS_GROUPBOX, 0, AdvancedGroupId(group), frame.left, frame.top,
                  frame.width, frame.height);
    }
  }

  void CreateField(const AdvancedFieldSpec& spec) {
    const std::wstring caption = AnsiToWide(FieldCaption(spec.field));
    if (const FormBox label = FieldCaptionBox(spec.field); label.width > 0) {
      CreateChild(L"STATIC", caption, 0, 0, AdvancedCaptionId(spec.field), label.left, label.top, label.width,
                  label.height);
    }
    const int id = AdvancedFieldId(spec.field);
    switch (spec.kind) {
      case AdvancedFieldKind::CheckBox:
        CreateChild(L"BUTTON", caption, WS_TABSTOP | BS_AUTOCHECKBOX, 0, id, spec.left, spec.top, spec.width,
                    spec.height);
        break;
      case AdvancedFieldKind::TextBox: {
        HWND box = CreateChild(L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, id, spec.left, spec.top,
                               spec.width, spec.height);
        // Kept while the box has the focus, so that tabbing in still shows what to paste.
        SendMessageW(box, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(AnsiToWide(FieldCue(spec.field)).c_str()));
        break;
      }
      case AdvancedFieldKind::Choice: {
        HWND choice = CreateChild(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0, id, spec.left,
                                  spec.top, spec.width, spec.height + kChoiceListHeight);
        for (const NotifyChoice& entry : kNotifyChoices) {
          SendMessageW(choice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(AnsiToWide(entry.caption).c_str()));
        }
        break;
      }
      case AdvancedFieldKind::ResultBox:
        CreateChild(L"EDIT", L"", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY,
                    WS_EX_CLIENTEDGE, id, spec.left, spec.top, spec.width, spec.height);
        break;
      case AdvancedFieldKind::TestButton: {
        HWND button = CreateChild(L"BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, 0, id, spec.left, spec.top,
                                  spec.width, spec.height);
        if (!hooks_.sendTestMessages) EnableWindow(button, FALSE);
        break;
      }
      case AdvancedFieldKind::OkButton:
        CreateChild(L"BUTTON", caption, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, id, spec.left, spec.top, spec.width,
                    spec.height);
        break;
      case AdvancedFieldKind::CancelButton:
        CreateChild(L"BUTTON", caption, WS_TABSTOP | BS_PUSHBUTTON, 0, id, spec.left, spec.top, spec.width,
                    spec.height);
        break;
    }
  }

  void Fill(const AdvancedDialogValues& values) {
    for (const AdvancedFieldSpec& spec : kAdvancedFields) {
      HWND field = Field(spec.field);
      if (spec.kind == AdvancedFieldKind::CheckBox) {
        SendMessageW(field, BM_SETCHECK, FieldChecked(values, spec.field) ? BST_CHECKED : BST_UNCHECKED, 0);
      } else if (spec.kind == AdvancedFieldKind::TextBox) {
        SetWindowTextW(field, AnsiToWide(FieldText(values, spec.field)).c_str());
      } else if (spec.kind == AdvancedFieldKind::Choice) {
        SendMessageW(field, CB_SETCURSEL, NotifyChoiceIndex(values.alerts.notify), 0);
      }
    }
  }

  Text WindowText(HWND window) const {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return WideToAnsi(text);
  }

  AdvancedDialogValues Entered() const {
    AdvancedDialogValues values = stored_;
    for (const AdvancedFieldSpec& spec : kAdvancedFields) {
      HWND field = Field(spec.field);
      if (spec.kind == AdvancedFieldKind::CheckBox) {
        SetFieldChecked(values, spec.field, SendMessageW(field, BM_GETCHECK, 0, 0) == BST_CHECKED);
      } else if (spec.kind == AdvancedFieldKind::TextBox) {
        SetFieldText(values, spec.field, WindowText(field));
      } else if (spec.kind == AdvancedFieldKind::Choice) {
        const int index = static_cast<int>(SendMessageW(field, CB_GETCURSEL, 0, 0));
        values.alerts.notify = NotifyValueForChoice(index, stored_.alerts.notify);
      }
    }
    return values;
  }

  void OnCommand(int id) {
    if (id == IDOK) {
      OnOk();
    } else if (id == IDCANCEL) {
      EndDialog(dialog_, IDCANCEL);
    } else if (id == AdvancedFieldId(AdvancedField::SendTest)) {
      OnSendTest();
    } else if (id == AdvancedFieldId(AdvancedField::Deadline)) {
      EnableWake();
    }
  }

  // Only the plan's runs have a time to wake the computer for.
  void EnableWake() {
    const bool deadline = SendMessageW(Field(AdvancedField::Deadline), BM_GETCHECK, 0, 0) == BST_CHECKED;
    EnableWindow(Field(AdvancedField::Wake), deadline);
  }

  HWND CaptionOf(AdvancedField field) const { return GetDlgItem(dialog_, AdvancedCaptionId(field)); }

  // The captions of the refused URLs in red, until they pass.
  INT_PTR MarkedCaption(HWND label, HDC dc) const {
    for (const RefusedUrl& url : refused_) {
      if (CaptionOf(url.field) != label) continue;
      SetTextColor(dc, kRefusedCaptionColour);
      SetBkColor(dc, GetSysColor(COLOR_3DFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_3DFACE));
    }
    return FALSE;
  }

  // A URL the pushes would never request is not saved as if it worked: the dialog stays open with
  // each one marked and said in the result box, the first one focused.
  bool RefuseUnusableUrls(const AdvancedDialogValues& values) {
    std::vector<RefusedUrl> refused = RefusedUrls(values);
    std::swap(refused_, refused);
    for (const auto* list : {&refused, &refused_}) {
      for (const RefusedUrl& url : *list)
        InvalidateRect(CaptionOf(url.field), nullptr, TRUE);
    }
    if (refused_.empty()) return false;
    SetWindowTextW(Field(AdvancedField::TestResult), AnsiToWide(TestResultBoxText(RefusedUrlsText(refused_))).c_str());
    HWND first = Field(refused_.front().field);
    SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    SendMessageW(first, EM_SETSEL, 0, -1);
    return true;
  }

  void OnOk() {
    const AdvancedDialogValues entered = Entered();
    if (RefuseUnusableUrls(entered)) return;
    const LogWriter appendLog = hooks_.appendLog ? hooks_.appendLog : [](std::string_view) {};
    SaveAdvancedDialogValues(store_, entered, appendLog);
    if (hooks_.saved) hooks_.saved();
    EndDialog(dialog_, IDOK);
  }

  // The channels are tried off the dialog's thread, so it stays responsive for up to their time-outs.
  void OnSendTest() {
    HWND button = Field(AdvancedField::SendTest);
    if (!hooks_.sendTestMessages || !IsWindowEnabled(button)) return;
    EnableWindow(button, FALSE);
    SetWindowTextW(Field(AdvancedField::TestResult), AnsiToWide(kSendingTestMessages).c_str());
    const bool started =
        StartThread([run = testRun_, dialog = dialog_, send = hooks_.sendTestMessages, alerts = Entered().alerts] {
          PostToWindowThread(dialog, [run, results = send(alerts)] {
            if (run->done) run->done(results);
          });
        });
    if (!started) {
      SetWindowTextW(Field(AdvancedField::TestResult), L"");
      EnableWindow(button, TRUE);
    }
  }

  void OnTestDone(const std::vector<PushTestResult>& results) {
    SetWindowTextW(Field(AdvancedField::TestResult),
                   AnsiToWide(TestResultBoxText(PushTestResultsText(results))).c_str());
    EnableWindow(Field(AdvancedField::SendTest), TRUE);
  }

  void OnDestroy() { testRun_->done = nullptr; }

  const AdvancedSettingsDialogHooks& hooks_;
  IniStore& store_;
  std::shared_ptr<TestRun> testRun_;
  HWND dialog_ = nullptr;
  int dpi_ = 96;
  HFONT font_ = nullptr;
  UniqueFont scaledFont_;
  AdvancedDialogValues stored_;
  std::vector<RefusedUrl> refused_;
};

}  // namespace

void ShowAdvancedSettingsDialog(HWND owner, const AdvancedSettingsDialogHooks& hooks, IniStore& store) {
  AdvancedSettingsDialog(hooks, store).Show(owner);
}

void ShowAdvancedSettingsDialog(HWND owner, const AdvancedSettingsDialogHooks& hooks) {
  IniFileStore store(FileBesideProgram(kConfigFileName));
  ShowAdvancedSettingsDialog(owner, hooks, store);
}

}  // namespace korvan
