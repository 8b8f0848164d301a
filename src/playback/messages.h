#pragma once

#include <string_view>

namespace tamsel {

// Where the playback engine sends its messages for the user (UTF-8); the
// window shows them in message boxes, the CLI prints them.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void Warn(std::string_view text) = 0;
};

// The engine's messages. The activation message is two lines by design.
inline constexpr std::string_view kPortActivationFailedMessage =
    "音源の初期化に失敗しました。\n他のプログラムで使用していないか確認してください。";
inline constexpr std::string_view kPlayFileCreateFailedMessage = "一時ファイルの作成に失敗しました。";
inline constexpr std::string_view kPlayFileLoadFailedMessage = "一時ファイルのロードに失敗しました。";
// When the synthesizer stack could not be started or offers no port at all.
inline constexpr std::string_view kNoPortMessage = "使用できる音源が見つかりませんでした。";
// Play with no usable port: nothing is written and nothing plays.
inline constexpr std::string_view kCannotPlayMessage = "音源が使用できないため再生できません。";

}  // namespace tamsel
