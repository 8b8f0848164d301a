#pragma once

#include <string_view>

namespace tamsel::app {

// Texts the window shows the user (UTF-8), word for word.
inline constexpr std::string_view kApplicationName = "Tamsel";
inline constexpr std::string_view kOpenFailedText = "ファイルのオープンに失敗しました。";

}  // namespace tamsel::app
