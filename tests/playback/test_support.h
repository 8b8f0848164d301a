#pragma once

#include <signal.h>
#include <spawn.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "model/midi.h"
#include "playback/messages.h"
#include "support/temp_folder.h"

extern char** environ;

namespace tamsel::test {

struct CollectingMessages final : MessageSink {
    void Warn(std::string_view text) override { texts.emplace_back(text); }
    std::vector<std::string> texts;
};

// A program the test starts and ends itself, by its process id.
class ChildProcess {
public:
    // `environment` entries are added to (or replace) this process's own.
    ChildProcess(std::vector<std::string> argv, const std::map<std::string, std::string>& environment = {},
                 const std::optional<std::filesystem::path>& stdoutFile = std::nullopt)
    {
        std::map<std::string, std::string> merged;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            const auto eq = entry.find('=');
            if (eq != std::string::npos) merged[entry.substr(0, eq)] = entry.substr(eq + 1);
        }
        for (const auto& [key, value] : environment) merged[key] = value;
        std::vector<std::string> envStrings;
        for (const auto& [key, value] : merged) envStrings.push_back(key + "=" + value);
        std::vector<char*> envp;
        for (auto& s : envStrings) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::vector<char*> args;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        const std::string out = stdoutFile ? stdoutFile->string() : std::string("/dev/null");
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        const int error = posix_spawnp(&m_Pid, args[0], &actions, nullptr, args.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (error != 0) throw std::runtime_error("cannot start " + argv[0]);
    }
    ~ChildProcess() { Stop(SIGTERM); }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    [[nodiscard]] bool Running()
    {
        if (m_Pid <= 0) return false;
        int status = 0;
        if (waitpid(m_Pid, &status, WNOHANG) == m_Pid) {
            m_Pid = -1;
            return false;
        }
        return true;
    }

    void Signal(int signal)
    {
        if (m_Pid > 0) kill(m_Pid, signal);
    }

    // Waits for the end; the exit status, or -1 when it did not exit normally
    // within `timeout` (it is killed then).
    int Wait(std::chrono::milliseconds timeout)
    {
        if (m_Pid <= 0) return -1;
        const auto end = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < end) {
            int status = 0;
            if (waitpid(m_Pid, &status, WNOHANG) == m_Pid) {
                m_Pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Stop(SIGKILL);
        return -1;
    }

    // Sends `signal` and waits for the end, killing it after a few seconds.
    void Stop(int signal)
    {
        if (!Running()) return;
        kill(m_Pid, signal);
        for (int i = 0; i < 100 && Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (Running()) {
            kill(m_Pid, SIGKILL);
            waitpid(m_Pid, nullptr, 0);
        }
        m_Pid = -1;
    }

private:
    pid_t m_Pid = -1;
};

// Polls `ready` until it holds or `timeout` passes.
template <typename Predicate>
bool WaitFor(Predicate ready, std::chrono::milliseconds timeout)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A one-track song from (tick, message) pairs, with an end-of-track event.
inline CMidi Song(std::uint16_t division, std::initializer_list<std::pair<std::uint32_t, std::vector<std::uint8_t>>> events,
                  std::uint32_t endTick)
{
    CMidi song(1, division);
    for (const auto& [tick, message] : events) song.InsertMsg(tick, 0, message);
    song.InsertMsg(endTick, 0, std::vector<std::uint8_t>{0xFF, 0x2F, 0x00});
    return song;
}

// Root mean square of a stretch of samples.
inline double Rms(std::span<const float> samples)
{
    if (samples.empty()) return 0;
    double sum = 0;
    for (float s : samples) sum += double{s} * s;
    return std::sqrt(sum / static_cast<double>(samples.size()));
}

// The frequency of the strongest FFT bin of a Hann-windowed stretch.
inline double PeakFrequency(std::span<const float> samples, double sampleRate)
{
    std::size_t n = 1;
    while (n * 2 <= samples.size()) n *= 2;
    std::vector<std::complex<double>> data(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double window = 0.5 - 0.5 * std::cos(2 * M_PI * static_cast<double>(i) / static_cast<double>(n - 1));
        data[i] = samples[i] * window;
    }
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(data[i], data[j]);
    }
    for (std::size_t length = 2; length <= n; length <<= 1) {
        const std::complex<double> step = std::polar(1.0, -2 * M_PI / static_cast<double>(length));
        for (std::size_t i = 0; i < n; i += length) {
            std::complex<double> w = 1;
            for (std::size_t k = 0; k < length / 2; ++k, w *= step) {
                const auto u = data[i + k];
                const auto v = data[i + k + length / 2] * w;
                data[i + k] = u + v;
                data[i + k + length / 2] = u - v;
            }
        }
    }
    std::size_t best = 1;
    for (std::size_t k = 1; k < n / 2; ++k)
        if (std::abs(data[k]) > std::abs(data[best])) best = k;
    return static_cast<double>(best) * sampleRate / static_cast<double>(n);
}

}  // namespace tamsel::test
