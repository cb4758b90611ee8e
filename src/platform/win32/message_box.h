// The platform message box, shown with code page 936 texts.
#pragma once

#include <windows.h>

#include <optional>
#include <string_view>

namespace korvan {

// style holds the platform's button and icon flags (0: one OK button); the box is task-modal unless
// the style asks for system-modal. caption omitted means "信息：". Result by the button pressed:
// OK 0, Cancel 1, Abort 2, Retry 3, Ignore 4, Yes 5, No 6; -1 when the box could not be shown.
int ShowMessage(std::string_view message,
                int style,
                std::optional<std::string_view> caption = std::nullopt,
                HWND owner = nullptr);

}  // namespace korvan
