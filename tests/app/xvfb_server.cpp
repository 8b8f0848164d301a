#include "xvfb_server.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamsel::app::test {

XvfbServer::XvfbServer()
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0) {
        m_Error = "pipe failed";
        return;
    }
    // Xvfb picks a free display and writes its number to the descriptor.
    const std::string fd = std::to_string(pipeEnds[1]);
    const char* arguments[] = {"Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24",
                               "-nolisten", "tcp", "-noreset", nullptr};
    const pid_t parent = ::getpid();
    m_Pid = ::fork();
    if (m_Pid == 0) {
        // The server ends with the test even when the test crashes.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        ::close(pipeEnds[0]);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
        ::execvp("Xvfb", const_cast<char**>(arguments));
        ::_exit(127);
    }
    ::close(pipeEnds[1]);
    if (m_Pid < 0) {
        m_Error = std::string("cannot start Xvfb: ") + std::strerror(errno);
        ::close(pipeEnds[0]);
        return;
    }

    std::string number;
    pollfd wait{pipeEnds[0], POLLIN, 0};
    while (number.find('\n') == std::string::npos) {
        if (::poll(&wait, 1, 20000) <= 0) break;
        char buffer[16];
        const ssize_t got = ::read(pipeEnds[0], buffer, sizeof buffer);
        if (got <= 0) break;
        number.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(pipeEnds[0]);
    if (const auto end = number.find('\n'); end != std::string::npos && end > 0) {
        m_Display = ":" + number.substr(0, end);
    } else {
        m_Error = "Xvfb did not report a display (is it installed?)";
    }
}

XvfbServer::~XvfbServer()
{
    if (m_Pid <= 0) return;
    ::kill(m_Pid, SIGTERM);
    int status = 0;
    while (::waitpid(m_Pid, &status, 0) < 0 && errno == EINTR) {
    }
}

}  // namespace tamsel::app::test
