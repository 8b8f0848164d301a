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

}  // namespace tamsel
