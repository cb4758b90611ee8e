#include "app/settings_dialog/advanced_settings_form.h"

#include <algorithm>
#include <cstddef>

#include "alerts/push_answers.h"
#include "alerts/push_url.h"

namespace korvan {
namespace {

bool AdvancedSettings::*CheckOf(AdvancedField field) {
  switch (field) {
    case AdvancedField::Verify: return &AdvancedSettings::verify;
    case AdvancedField::History: return &AdvancedSettings::history;
    case AdvancedField::Deadline: return &AdvancedSettings::deadline;
    case AdvancedField::Wake: return &AdvancedSettings::wake;
    default: return nullptr;
  }
}

// The alert setting behind a field, found by its key.
Text AlertSettings::*TextOf(AdvancedField field) {
  const AlertField* alert = AlertFieldOfKey(AdvancedFieldSpecOf(field).key);
  return alert && alert->key != kNotifyKey ? alert->value : nullptr;
}

// 请改正或清空以下地址后再点“确定”：
constexpr std::string_view kRefusedUrlsHeading =
    "\xC7\xEB\xB8\xC4\xD5\xFD\xBB\xF2\xC7\xE5\xBF\xD5\xD2\xD4\xCF\xC2\xB5\xD8\xD6\xB7\xBA\xF3\xD4\xD9\xB5\xE3\xA1\xB0"
    "\xC8\xB7"
    "\xB6\xA8\xA1\xB1\xA3\xBA";
constexpr std::string_view kCaptionColon = "\xA3\xBA";  // ：

constexpr int kNotifyChoiceCount = static_cast<int>(sizeof(kNotifyChoices) / sizeof(kNotifyChoices[0]));

}  // namespace

const AdvancedFieldSpec& AdvancedFieldSpecOf(AdvancedField field) {
  return kAdvancedFields[static_cast<std::size_t>(field)];
}

std::string_view FieldCaption(AdvancedField field) {
  const AdvancedFieldSpec& spec = AdvancedFieldSpecOf(field);
  const AlertField* alert = AlertFieldOfKey(spec.key);
  return alert ? alert->caption : spec.caption;
}

std::string_view FieldCue(AdvancedField field) {
  const AlertField* alert = AlertFieldOfKey(AdvancedFieldSpecOf(field).key);
  return alert ? alert->cue : std::string_view();
}

int AdvancedFieldId(AdvancedField field) {
  switch (AdvancedFieldSpecOf(field).kind) {
    case AdvancedFieldKind::OkButton: return kAdvancedOkId;
    case AdvancedFieldKind::CancelButton: return kAdvancedCancelId;
    default: return kAdvancedFieldIdBase + static_cast<int>(field);
  }
}

int AdvancedCaptionId(AdvancedField field) { return kAdvancedCaptionIdBase + static_cast<int>(field); }

FormBox FieldCaptionBox(AdvancedField field) {
  const auto& row = AdvancedFieldSpecOf(field);
  switch (row.kind) {
    case AdvancedFieldKind::TextBox:
    case AdvancedFieldKind::Choice: return {kAdvancedCaptionLeft, row.top + 4, kAdvancedCaptionWidth, 18};
    case AdvancedFieldKind::ResultBox: return {row.left, row.top - kAdvancedResultCaptionRise, row.width, 18};
    default: return {};
  }
}

namespace {

FormBox FrameAroundFields(AdvancedGroup group) {
  int left = kAdvancedDialogWidth, top = kAdvancedDialogHeight, right = 0, bottom = 0;
  auto take = [&](const FormBox& box) {
    if (box.width == 0) return;
    left = std::min(left, box.left);
    top = std::min(top, box.top);
    right = std::max(right, box.left + box.width);
    bottom = std::max(bottom, box.top + box.height);
  };
  for (const auto& row : kAdvancedFields) {
    if (row.group != group) continue;
    take({row.left, row.top, row.width, row.height});
    take(FieldCaptionBox(row.field));
  }
  if (right == 0) return {};
  return {left - kAdvancedGroupSide, top - kAdvancedGroupTitle, right - left + 2 * kAdvancedGroupSide,
          bottom - top + kAdvancedGroupTitle + kAdvancedGroupBottom};
}

}  // namespace

FormBox GroupFrame(AdvancedGroup group) {
  FormBox frame = FrameAroundFields(group);
  if (frame.width == 0) return frame;
  for (const AdvancedGroupTitle& other : kAdvancedGroups) {
    const FormBox beside = FrameAroundFields(other.group);
    if (beside.top == frame.top) frame.height = std::max(frame.height, beside.height);
  }
  return frame;
}

int AdvancedGroupId(AdvancedGroup group) { return kAdvancedGroupIdBase + static_cast<int>(group); }

int NotifyChoiceIndex(std::string_view stored) {
  const NotifyMode mode = NotifyModeFromSetting(stored);
  for (int index = 0; index < kNotifyChoiceCount; ++index) {
    if (kNotifyChoices[index].mode == mode) return index;
  }
  return 0;
}

Text NotifyValueForChoice(int index, std::string_view stored) {
  if (index < 0 || index >= kNotifyChoiceCount) index = 0;
  if (NotifyChoiceIndex(stored) == index) return Text(stored);
  return Text(NotifySettingText(kNotifyChoices[index].mode));
}

AdvancedDialogValues ReadAdvancedDialogValues(IniStore& store) {
  return {ReadAdvancedSettings(store), ReadAlertSettings(store)};
}

bool FieldChecked(const AdvancedDialogValues& values, AdvancedField field) {
  bool AdvancedSettings::*check = CheckOf(field);
  return check && values.advanced.*check;
}

void SetFieldChecked(AdvancedDialogValues& values, AdvancedField field, bool checked) {
  if (bool AdvancedSettings::*check = CheckOf(field)) values.advanced.*check = checked;
}

Text FieldText(const AdvancedDialogValues& values, AdvancedField field) {
  Text AlertSettings::*text = TextOf(field);
  return text ? values.alerts.*text : Text();
}

void SetFieldText(AdvancedDialogValues& values, AdvancedField field, std::string_view text) {
  if (Text AlertSettings::*member = TextOf(field)) values.alerts.*member = Text(text);
}

void SaveAdvancedDialogValues(IniStore& store, const AdvancedDialogValues& values, const LogWriter& appendLog) {
  // Both halves are written even when the first fails, so as much as possible sticks.
  const bool advancedWritten = WriteAdvancedSettings(store, values.advanced);
  const bool alertsWritten = WriteAlertSettings(store, values.alerts);
  appendLog(advancedWritten && alertsWritten ? kAdvancedSavedMessage : kAdvancedSaveFailedMessage);
}

Text TestResultBoxText(std::string_view result) {
  Text box;
  box.reserve(result.size() + 16);
  for (std::size_t at = 0; at < result.size(); ++at) {
    const char c = result[at];
    if (c == '\r' && at + 1 < result.size() && result[at + 1] == '\n') continue;
    if (c == '\n' || c == '\r') {
      box += "\r\n";
    } else {
      box += c;
    }
  }
  return box;
}

std::vector<RefusedUrl> RefusedUrls(const AdvancedDialogValues& values) {
  std::vector<RefusedUrl> refused;
  for (const AdvancedFieldSpec& spec : kAdvancedFields) {
    const AlertField* alert = AlertFieldOfKey(spec.key);
    if (!alert || !alert->channel) continue;
    const Text url = FieldText(values, spec.field);
    if (TrimBlanks(url).empty() || PushUrl(url)) continue;
    const PushDelivery never = UnusableUrlDelivery(url);
    refused.push_back({spec.field, never.detailedReason.empty() ? never.reason : never.detailedReason});
  }
  return refused;
}

Text RefusedUrlsText(const std::vector<RefusedUrl>& refused) {
  Text text(kRefusedUrlsHeading);
  for (const RefusedUrl& url : refused)
    text += JoinTexts("\r\n", FieldCaption(url.field), kCaptionColon, url.reason);
  return text;
}

}  // namespace korvan
