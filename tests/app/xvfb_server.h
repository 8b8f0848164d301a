#pragma once

#include <string>

#include <sys/types.h>

namespace tamsel::app::test {

// An X server of its own for a test: Xvfb on a free display, started by
// the test and ended by its process id.
class XvfbServer {
public:
    XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;
    ~XvfbServer();

    // ":N", or empty when the server could not be started (see Error()).
    [[nodiscard]] const std::string& Display() const noexcept { return m_Display; }
    [[nodiscard]] const std::string& Error() const noexcept { return m_Error; }

private:
    pid_t m_Pid = -1;
    std::string m_Display;
    std::string m_Error;
};

}  // namespace tamsel::app::test
