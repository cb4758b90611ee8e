#include "platform/win32/message_box.h"

#include "platform/win32/wide_text.h"

namespace korvan {
namespace {

// 信息：
constexpr std::string_view kDefaultCaption = "\xD0\xC5\xCF\xA2\xA3\xBA";

}  // namespace

int ShowMessage(std::string_view message, int style, std::optional<std::string_view> caption, HWND owner) {
  const int modality = (style & MB_SYSTEMMODAL) != 0 ? 0 : MB_TASKMODAL;
  // Wide call with an explicit code page 936 conversion: the ANSI box would garble Chinese on a
  // system whose ANSI code page is not 936.
  const std::wstring wideMessage = AnsiToWide(message);
  const std::wstring wideCaption = AnsiToWide(caption.value_or(kDefaultCaption));
  const int pressed =
      ::MessageBoxW(owner, wideMessage.c_str(), wideCaption.c_str(), static_cast<UINT>(style | modality));
  // IDOK 1 .. IDNO 7 are numbered in the order of the results 0 .. 6.
  if (pressed >= IDOK && pressed <= IDNO) return pressed - IDOK;
  return -1;
}

}  // namespace korvan
