#include "cli/PasswordInput.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

#include "profiles/LockFile.h"

namespace velmora::cli {

namespace {

constexpr int kRestoringSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Read by the signal handler: the terminal settings to put back.
struct termios g_savedTerminal {};
volatile std::sig_atomic_t g_echoIsOff = 0;

void restoreEchoAndDie(int signalNumber) {
    if (g_echoIsOff != 0) {
        ::tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
    }
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// Switches the terminal's echo off for its lifetime.
class EchoOff {
public:
    EchoOff() {
        if (::tcgetattr(STDIN_FILENO, &g_savedTerminal) != 0) {
            return;
        }
        struct sigaction action {};
        action.sa_handler = restoreEchoAndDie;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i) {
            ::sigaction(kRestoringSignals[i], &action, &m_previous[i]);
        }
        struct termios quiet = g_savedTerminal;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        quiet.c_lflag |= ECHONL;
        g_echoIsOff = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0 ? 1 : 0;
        m_active = true;
    }
    ~EchoOff() {
        if (!m_active) {
            return;
        }
        if (g_echoIsOff != 0) {
            ::tcsetattr(STDIN_FILENO, TCSANOW, &g_savedTerminal);
            g_echoIsOff = 0;
        }
        for (std::size_t i = 0; i < std::size(kRestoringSignals); ++i) {
            ::sigaction(kRestoringSignals[i], &m_previous[i], nullptr);
        }
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    bool m_active = false;
    struct sigaction m_previous[std::size(kRestoringSignals)]{};
};

std::optional<std::string> readLine() {
    std::string line;
    char byte = 0;
    bool any = false;
    while (std::cin.get(byte)) {
        any = true;
        if (byte == '\n') {
            break;
        }
        if (line.size() <= kMaxPasswordBytes) {
            line.push_back(byte);
        }
    }
    if (!any) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    return line;
}

}  // namespace

std::optional<std::string> readPassword(const std::string& prompt) {
    if (::isatty(STDIN_FILENO) == 0) {
        return readLine();
    }
    std::fputs(prompt.c_str(), stderr);
    std::fflush(stderr);
    const EchoOff quiet;
    return readLine();
}

}  // namespace velmora::cli
