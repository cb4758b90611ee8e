// The "高级设置" dialog as data: one table of its controls (kind, group box, caption, settings key),
// each placed at 96 DPI from its place in the table, from which the dialog is built, and the mapping
// between its fields and the settings.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>
#include <string_view>
#include <vector>

#include "config/advanced_settings.h"
#include "alerts/alert_fields.h"
#include "config/config_file.h"
#include "alerts/alert_policy.h"
#include "runtime/text/text.h"

namespace korvan {

enum class AdvancedFieldKind {
  CheckBox,    // caption beside the box; the key is "1" or "0"
  TextBox,     // caption as a label to the left; the key holds the text
  Choice,      // drop-down list of the notify choices, caption to the left
  TestButton,  // sends the test messages
  ResultBox,   // read-only, the test's answer; caption above
  OkButton,    // the dialog's default button
  CancelButton,
};

// The controls in the dialog's order, which is also the keyboard's order.
enum class AdvancedField {
  Verify,
  History,
  Deadline,
  Wake,
  Notify,
  ServerChan,
  PushPlus,
  WeCom,
  DingTalk,
  DingTalkSecret,
  Feishu,
  Bark,
  Telegram,
  Webhook,
  SendTest,
  TestResult,
  Heartbeat,
  Ok,
  Cancel,
};

// The group boxes; a field names the one it stands in, and each box is drawn around its fields.
enum class AdvancedGroup {
  None,  // 确定 and 取消
  Verification,
  Record,
  Plan,
  Push,
  Heartbeat,
};

struct AdvancedGroupTitle {
  AdvancedGroup group;
  std::string_view title;  // code page 936
};

inline constexpr AdvancedGroupTitle kAdvancedGroups[] = {
    {AdvancedGroup::Verification, "\xBA\xCB\xCA\xB5\xD0\xF8\xC6\xDA\xBD\xE1\xB9\xFB"},  // 核实续期结果
    {AdvancedGroup::Record, "\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC"},                        // 运行记录
    {AdvancedGroup::Plan, "\xD0\xF8\xC6\xDA\xBC\xC6\xBB\xAE"},                          // 续期计划
    {AdvancedGroup::Push, "\xCD\xC6\xCB\xCD\xC7\xFE\xB5\xC0"},                          // 推送渠道
    {AdvancedGroup::Heartbeat, "\xD0\xC4\xCC\xF8"},                                     // 心跳
};

// A row as written: where it stands follows from its kind, its group and its place among the rows.
struct AdvancedFieldRow {
  AdvancedField field;
  AdvancedFieldKind kind;
  AdvancedGroup group;
  std::string_view caption;  // code page 936; an alert setting's comes from kAlertFields
  std::string_view key;      // in section "高级设置"; empty for the buttons and the result
};

// A row placed, at 96 DPI.
struct AdvancedFieldSpec {
  AdvancedField field;
  AdvancedFieldKind kind;
  AdvancedGroup group;
  std::string_view caption;
  std::string_view key;
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The client area's width, and where the captions of the boxes stand, at 96 DPI.
inline constexpr int kAdvancedDialogWidth = 800;
inline constexpr int kAdvancedCaptionLeft = 24;
inline constexpr int kAdvancedCaptionWidth = 92;
// From a group's frame to its fields: each side, the title's line above them, below them.
inline constexpr int kAdvancedGroupSide = 12;
inline constexpr int kAdvancedGroupTitle = 22;
inline constexpr int kAdvancedGroupBottom = 10;
// The result box's caption stands this far above it.
inline constexpr int kAdvancedResultCaptionRise = 20;

// The sizes and distances the rows are placed by, at 96 DPI.
namespace advanced_layout {
inline constexpr int kMargin = 12;    // from the client area's sides and bottom to the frames and buttons
inline constexpr int kTopMargin = 8;  // above the first frames
inline constexpr int kGroupGap = 10;  // from a frame to the one below it
inline constexpr int kContentLeft = kAdvancedCaptionLeft;
inline constexpr int kContentRight = kAdvancedDialogWidth - kAdvancedCaptionLeft;
inline constexpr int kCheckWidth = 226;
inline constexpr int kCheckHeight = 20;
inline constexpr int kCheckPitch = 24;
inline constexpr int kBoxLeft = kAdvancedCaptionLeft + kAdvancedCaptionWidth + 4;
inline constexpr int kBoxHeight = 22;
inline constexpr int kLinePitch = 28;
inline constexpr int kResultWidth = 272;
inline constexpr int kTestColumnLeft = kContentRight - kResultWidth;  // the test button and its result
inline constexpr int kTestColumnGap = 12;                             // from the boxes beside it
inline constexpr int kTestButtonWidth = 120;
inline constexpr int kButtonWidth = 84;
inline constexpr int kButtonHeight = 26;
inline constexpr int kButtonGap = 8;

// The groups of check boxes stand side by side across the dialog, their boxes one below the other.
// Every other group starts below all rows before it, its choice and text boxes one a line; in the
// group of the test, the test button is centred on the choice's line and the result box beside
// the text boxes, its caption level with the first. 确定 and 取消 close the dialog at its right.
template <std::size_t N>
constexpr std::array<AdvancedFieldSpec, N> PlaceRows(const AdvancedFieldRow (&rows)[N]) {
  const auto holdsTest = [&rows](AdvancedGroup group) {
    for (const AdvancedFieldRow& row : rows) {
      if (row.group == group && row.kind == AdvancedFieldKind::TestButton) return true;
    }
    return false;
  };
  const auto startsGroup = [&rows](std::size_t index) {
    return index == 0 || rows[index].group != rows[index - 1].group;
  };
  int checkColumns = 0;
  int buttons = 0;
  for (std::size_t index = 0; index < N; ++index) {
    if (rows[index].kind == AdvancedFieldKind::CheckBox && startsGroup(index)) ++checkColumns;
    if (rows[index].group == AdvancedGroup::None) ++buttons;
  }
  const int checkPitch = checkColumns > 1 ? (kContentRight - kContentLeft - kCheckWidth) / (checkColumns - 1) : 0;
  const int buttonShift = (kButtonHeight - kBoxHeight) / 2;

  std::array<AdvancedFieldSpec, N> placed{};
  int lowest = 0;  // the bottom of the rows placed so far
  int column = -1;
  int checkLine = 0;
  int lineTop = 0;
  int choiceTop = 0;
  int firstBoxTop = 0;
  int lastBoxBottom = 0;
  int buttonLeft = kAdvancedDialogWidth - kMargin - buttons * kButtonWidth - (buttons - 1) * kButtonGap;
  for (std::size_t index = 0; index < N; ++index) {
    const AdvancedFieldRow& row = rows[index];
    const bool besideTest = holdsTest(row.group);
    AdvancedFieldSpec spec{row.field, row.kind, row.group, row.caption, row.key};
    switch (row.kind) {
      case AdvancedFieldKind::CheckBox:
        if (startsGroup(index)) {
          ++column;
          checkLine = 0;
        }
        spec.left = kContentLeft + column * checkPitch;
        spec.top = kTopMargin + kAdvancedGroupTitle + checkLine++ * kCheckPitch;
        spec.width = kCheckWidth;
        spec.height = kCheckHeight;
        break;
      case AdvancedFieldKind::Choice:
      case AdvancedFieldKind::TextBox:
        if (startsGroup(index)) lineTop = lowest + kAdvancedGroupBottom + kGroupGap + kAdvancedGroupTitle;
        spec.left = kBoxLeft;
        spec.top = lineTop;
        spec.width = (besideTest ? kTestColumnLeft - kTestColumnGap : kContentRight) - kBoxLeft;
        spec.height = kBoxHeight;
        if (row.kind == AdvancedFieldKind::Choice && besideTest) {
          // The taller test button beside it keeps the next line its distance.
          choiceTop = spec.top;
          lineTop += buttonShift;
        } else if (besideTest) {
          if (firstBoxTop == 0) firstBoxTop = spec.top;
          lastBoxBottom = spec.top + spec.height;
        }
        lineTop += kLinePitch;
        break;
      case AdvancedFieldKind::TestButton:
        spec.left = kTestColumnLeft;
        spec.top = choiceTop - buttonShift;
        spec.width = kTestButtonWidth;
        spec.height = kButtonHeight;
        break;
      case AdvancedFieldKind::ResultBox:
        spec.left = kTestColumnLeft;
        spec.top = firstBoxTop + kAdvancedResultCaptionRise;
        spec.width = kResultWidth;
        spec.height = lastBoxBottom - spec.top;
        break;
      case AdvancedFieldKind::OkButton:
      case AdvancedFieldKind::CancelButton:
        spec.left = buttonLeft;
        spec.top = lowest + kAdvancedGroupBottom + kMargin;
        spec.width = kButtonWidth;
        spec.height = kButtonHeight;
        buttonLeft += kButtonWidth + kButtonGap;
        break;
    }
    placed[index] = spec;
    // The buttons stand on one line: the first of them does not push the next one down.
    if (row.group != AdvancedGroup::None) lowest = std::max(lowest, spec.top + spec.height);
  }
  return placed;
}

}  // namespace advanced_layout

// 高级设置
inline constexpr std::string_view kAdvancedDialogCaption = "\xB8\xDF\xBC\xB6\xC9\xE8\xD6\xC3";
// 正在发送测试消息…
inline constexpr std::string_view kSendingTestMessages =
    "\xD5\xFD\xD4\xDA\xB7\xA2\xCB\xCD\xB2\xE2\xCA\xD4\xCF\xFB\xCF\xA2\xA1\xAD";

// Three groups of check boxes side by side; below them the channels, with the test and its answer (a
// line per channel, all in view) to their right; the heartbeat last. In the keyboard's order.
// clang-format off
inline constexpr AdvancedFieldRow kAdvancedFieldRows[] = {
  // field                         kind                              group                     caption                                                          key
  {AdvancedField::Verify,          AdvancedFieldKind::CheckBox,     AdvancedGroup::Verification, "\xD0\xF8\xB7\xD1\xBA\xF3\xBA\xCB\xCA\xB5\xB5\xBD\xC6\xDA\xCA\xB1\xBC\xE4", kVerifyKey},  // 续费后核实到期时间
  {AdvancedField::History,         AdvancedFieldKind::CheckBox,     AdvancedGroup::Record,    "\xB1\xA3\xB4\xE6\xD4\xCB\xD0\xD0\xBC\xC7\xC2\xBC\xB5\xBD korvan.log",      kHistoryKey},  // 保存运行记录到 korvan.log
  {AdvancedField::Deadline,        AdvancedFieldKind::CheckBox,     AdvancedGroup::Plan,      "\xB5\xBD\xC6\xDA\xC7\xB0\xB0\xB4\xCA\xB1\xD0\xF8\xC6\xDA\xB2\xA2\xD6\xD8\xCA\xD4", kDeadlineKey},  // 到期前按时续期并重试
  {AdvancedField::Wake,            AdvancedFieldKind::CheckBox,     AdvancedGroup::Plan,      "\xBB\xBD\xD0\xD1\xBC\xC6\xCB\xE3\xBB\xFA\xD6\xB4\xD0\xD0\xD0\xF8\xC6\xDA", kWakeKey},  // 唤醒计算机执行续期
  {AdvancedField::Notify,          AdvancedFieldKind::Choice,       AdvancedGroup::Push,      {},                                                              kNotifyKey},
  {AdvancedField::ServerChan,      AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kServerChanKey},
  {AdvancedField::PushPlus,        AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kPushPlusKey},
  {AdvancedField::WeCom,           AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kWeComKey},
  {AdvancedField::DingTalk,        AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kDingTalkKey},
  {AdvancedField::DingTalkSecret,  AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kDingTalkSecretKey},
  {AdvancedField::Feishu,          AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kFeishuKey},
  {AdvancedField::Bark,            AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kBarkKey},
  {AdvancedField::Telegram,        AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kTelegramKey},
  {AdvancedField::Webhook,         AdvancedFieldKind::TextBox,      AdvancedGroup::Push,      {},                                                              kWebhookKey},
  {AdvancedField::SendTest,        AdvancedFieldKind::TestButton,   AdvancedGroup::Push,      "\xB7\xA2\xCB\xCD\xB2\xE2\xCA\xD4\xCF\xFB\xCF\xA2",             {}},  // 发送测试消息
  {AdvancedField::TestResult,      AdvancedFieldKind::ResultBox,    AdvancedGroup::Push,      "\xB2\xE2\xCA\xD4\xBD\xE1\xB9\xFB",                             {}},  // 测试结果
  {AdvancedField::Heartbeat,       AdvancedFieldKind::TextBox,      AdvancedGroup::Heartbeat, {},                                                              kHeartbeatKey},
  {AdvancedField::Ok,              AdvancedFieldKind::OkButton,     AdvancedGroup::None,      "\xC8\xB7\xB6\xA8",                                             {}},  // 确定
  {AdvancedField::Cancel,          AdvancedFieldKind::CancelButton, AdvancedGroup::None,      "\xC8\xA1\xCF\xFB",                                             {}},  // 取消
};
// clang-format on

inline constexpr std::array<AdvancedFieldSpec, std::size(kAdvancedFieldRows)> kAdvancedFields =
    advanced_layout::PlaceRows(kAdvancedFieldRows);

inline constexpr int kAdvancedFieldCount = static_cast<int>(kAdvancedFields.size());

// The client area ends a margin below 确定 and 取消.
inline constexpr int kAdvancedDialogHeight =
    kAdvancedFields.back().top + kAdvancedFields.back().height + advanced_layout::kMargin;

// The child windows' ids: 确定 and 取消 have the dialog box's own (IDOK, IDCANCEL); the fields,
// their captions and the group boxes are numbered from bases of their own in their enumerations' order.
inline constexpr int kAdvancedOkId = 1;
inline constexpr int kAdvancedCancelId = 2;
inline constexpr int kAdvancedFieldIdBase = 2001;
inline constexpr int kAdvancedCaptionIdBase = 2101;
inline constexpr int kAdvancedGroupIdBase = 2201;

const AdvancedFieldSpec& AdvancedFieldSpecOf(AdvancedField field);
// The caption the dialog shows for the field.
std::string_view FieldCaption(AdvancedField field);
// The shape of the value a text box wants, shown greyed while it is empty; empty for the others.
std::string_view FieldCue(AdvancedField field);
// The control's child window id, and that of the label carrying its caption.
int AdvancedFieldId(AdvancedField field);
int AdvancedCaptionId(AdvancedField field);

// A rectangle at 96 DPI.
struct FormBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The label that carries the caption of a text box or the choice (to its left, level with its first
// line) or of the result box (above it); width 0 for the controls that carry their own caption.
FormBox FieldCaptionBox(AdvancedField field);
// A group box's frame: around its fields and their labels, with its title's line above them; groups
// side by side (frames with the same top) are as tall as the tallest of them.
FormBox GroupFrame(AdvancedGroup group);
int AdvancedGroupId(AdvancedGroup group);

struct NotifyChoice {
  NotifyMode mode;           // stored under "notify" as NotifySettingText(mode)
  std::string_view caption;  // code page 936
};

// The drop-down's entries in order; the first is what the alerts do when nothing is chosen.
inline constexpr NotifyChoice kNotifyChoices[] = {
    {NotifyMode::Fail, "\xBD\xF6\xCA\xA7\xB0\xDC\xBA\xCD\xBB\xD6\xB8\xB4"},  // 仅失败和恢复
    {NotifyMode::Renew,
     "\xCA\xA7\xB0\xDC\xA1\xA2\xBB\xD6\xB8\xB4\xBA\xCD\xD0\xF8\xB7\xD1\xB3\xC9\xB9\xA6"},  // 失败、恢复和续费成功
    {NotifyMode::All, "\xC3\xBF\xB4\xCE\xD4\xCB\xD0\xD0"},                                 // 每次运行
};

// The entry a stored value stands for, read as the alerts read it: anything unknown (or nothing) is the first.
int NotifyChoiceIndex(std::string_view stored);
// What to store for the chosen entry: the stored value itself when it already means that entry, so
// that opening and confirming the dialog leaves an unset or hand-written value as it was.
Text NotifyValueForChoice(int index, std::string_view stored);

// Everything the dialog shows and writes.
struct AdvancedDialogValues {
  AdvancedSettings advanced;
  AlertSettings alerts;
  friend bool operator==(const AdvancedDialogValues&, const AdvancedDialogValues&) = default;
};

AdvancedDialogValues ReadAdvancedDialogValues(IniStore& store);

// The field's state in the values: check boxes only.
bool FieldChecked(const AdvancedDialogValues& values, AdvancedField field);
void SetFieldChecked(AdvancedDialogValues& values, AdvancedField field, bool checked);
// The field's text in the values: text boxes only (the notify choice goes through its index).
Text FieldText(const AdvancedDialogValues& values, AdvancedField field);
void SetFieldText(AdvancedDialogValues& values, AdvancedField field, std::string_view text);

// Writes all of them and reads them back; one entry in the log, "高级设置已保存…" when every value
// came back as written, else "高级设置保存失败".
void SaveAdvancedDialogValues(IniStore& store, const AdvancedDialogValues& values, const LogWriter& appendLog);

// The test's answer as a multi-line edit box shows it: every line ending as "\r\n".
Text TestResultBoxText(std::string_view result);

// A pasted URL that the test would refuse without a request, and the reason it would give.
struct RefusedUrl {
  AdvancedField field;
  Text reason;  // code page 936: "地址须以 http:// 或 https:// 开头" or "地址无效"
  friend bool operator==(const RefusedUrl&, const RefusedUrl&) = default;
};

// The channels' and the heartbeat's URLs, in the dialog's order, that PushUrl refuses; blank ones are
// no URL and pass.
std::vector<RefusedUrl> RefusedUrls(const AdvancedDialogValues& values);

// What the result box says when 确定 refuses them: "请改正或清空以下地址后再点“确定”：", then a line
// per URL, its caption, "：" and the reason.
Text RefusedUrlsText(const std::vector<RefusedUrl>& refused);

}  // namespace korvan
