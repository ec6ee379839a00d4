// zelkova-cid-sim: a caller-ID modem on a pseudo-terminal, for running the program without the hardware.
//
// Prints the terminal's path as its first line, then one "DIAL <digits>" line for every dial command the
// program sends. Commands come from --script and then from standard input (one per line or ';'-separated).

#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

const char* const kUsage =
    "usage: zelkova-cid-sim [--script \"cmd; cmd ...\"] [--link PATH]\n"
    "\n"
    "Opens a pseudo-terminal that behaves like a caller-ID modem and prints its path.\n"
    "Put that path into the setting OpenSeeIDPort1 (or OpenSeeIDPort2) and start the program.\n"
    "\n"
    "commands (from --script, then standard input; ';' separates commands on one line):\n"
    "  ring [NUMBER]     an incoming call: RING, caller-ID block with NUMBER, RING\n"
    "                    (without NUMBER: a bare RING line)\n"
    "  withheld [P|O]    an incoming call whose number is private (P, default) or unavailable (O)\n"
    "  name TEXT         caller name sent with the next call (\"name\" alone clears it)\n"
    "  lift | hangup     handset off hook / on hook\n"
    "  raw TEXT          send TEXT as one line, unchanged\n"
    "  sleep MS          wait MS milliseconds (dial commands are still answered)\n"
    "  help              this text\n"
    "  quit              end the simulator\n"
    "\n"
    "--link PATH  also make PATH a symbolic link to the terminal, for a path that stays the same.\n"
    "At the end of standard input the simulator keeps answering until quit, Ctrl+C or SIGTERM.\n";

class Simulator
{
public:
    bool open(const std::string& linkPath);
    void close();
    // Returns false when the command asks to quit.
    bool execute(const std::string& command);
    // Answers the program until timeoutMs passed (-1: until standard input has a line or a signal came).
    void serve(int timeoutMs, bool watchStdin);
    bool stdinOpen() const { return m_stdinOpen; }
    bool takeStdinLine(std::string& line);

private:
    void sendLine(const std::string& text);
    void sendCallBlock(const std::string& number);
    void readMaster();
    void readStdin();
    void handleProgramLine(const std::string& line);

    int m_master = -1;
    int m_slave = -1; // kept open so the master never sees a hang-up while the program is away
    std::string m_slavePath;
    std::string m_linkPath;
    std::string m_name;
    std::string m_fromProgram;
    std::string m_fromStdin;
    bool m_stdinOpen = true;
};

std::string trim(const std::string& s)
{
    const auto begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    const auto end = s.find_last_not_of(" \t\r\n");
    return s.substr(begin, end - begin + 1);
}

std::vector<std::string> splitCommands(const std::string& text)
{
    std::vector<std::string> out;
    std::string current;
    for (const char c : text) {
        if (c == ';' || c == '\n') {
            out.push_back(trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    out.push_back(trim(current));
    return out;
}

std::string upper(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool Simulator::open(const std::string& linkPath)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        std::perror("zelkova-cid-sim: pseudo-terminal");
        return false;
    }
    const char* name = ptsname(m_master);
    if (!name) {
        std::perror("zelkova-cid-sim: ptsname");
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        std::perror("zelkova-cid-sim: open terminal");
        return false;
    }
    termios tio{};
    if (tcgetattr(m_slave, &tio) == 0) {
        cfmakeraw(&tio);
        tcsetattr(m_slave, TCSANOW, &tio);
    }
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    if (!linkPath.empty()) {
        ::unlink(linkPath.c_str());
        if (::symlink(name, linkPath.c_str()) != 0) {
            std::perror("zelkova-cid-sim: --link");
            return false;
        }
        m_linkPath = linkPath;
    }
    std::printf("%s\n", name);
    std::fflush(stdout);
    return true;
}

void Simulator::close()
{
    // Let the program read what was sent last; closing the master throws away unread lines.
    for (int i = 0; i < 100 && !g_stop; ++i) {
        int pending = 0;
        if (m_slave < 0 || ::ioctl(m_slave, FIONREAD, &pending) != 0 || pending <= 0)
            break;
        serve(10, false);
    }
    if (!m_linkPath.empty())
        ::unlink(m_linkPath.c_str());
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

void Simulator::sendLine(const std::string& text)
{
    const std::string bytes = text + "\r\n";
    std::size_t done = 0;
    int attempts = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // Nobody reads the terminal and its buffer is full: give the program a moment, then drop the line.
        if (n < 0 && errno == EAGAIN && ++attempts < 50) {
            ::usleep(20000);
            continue;
        }
        std::fprintf(stderr, "zelkova-cid-sim: line not delivered: %s\n", text.c_str());
        return;
    }
}

void Simulator::sendCallBlock(const std::string& number)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[8];
    char time[8];
    std::strftime(date, sizeof date, "%m%d", &local);
    std::strftime(time, sizeof time, "%H%M", &local);
    sendLine("");
    sendLine(std::string("DATE = ") + date);
    sendLine(std::string("TIME = ") + time);
    sendLine("NMBR = " + number);
    if (!m_name.empty()) {
        sendLine("NAME = " + m_name);
        m_name.clear();
    }
    sendLine("");
}

bool Simulator::execute(const std::string& command)
{
    const std::string line = trim(command);
    if (line.empty() || line[0] == '#')
        return true;
    const auto space = line.find(' ');
    const std::string verb = upper(line.substr(0, space));
    const std::string arg = space == std::string::npos ? std::string() : trim(line.substr(space + 1));

    if (verb == "RING") {
        sendLine("RING");
        if (!arg.empty()) {
            sendCallBlock(arg);
            sendLine("RING");
        }
        std::fprintf(stderr, "> ring %s\n", arg.c_str());
    } else if (verb == "WITHHELD") {
        const std::string reason = arg.empty() ? "P" : upper(arg);
        sendLine("RING");
        sendCallBlock(reason);
        sendLine("RING");
        std::fprintf(stderr, "> withheld %s\n", reason.c_str());
    } else if (verb == "NAME") {
        m_name = arg;
    } else if (verb == "LIFT" || verb == "OFFHOOK") {
        sendLine("OFFHOOK");
        std::fprintf(stderr, "> off hook\n");
    } else if (verb == "HANGUP" || verb == "ONHOOK") {
        sendLine("ONHOOK");
        std::fprintf(stderr, "> on hook\n");
    } else if (verb == "RAW") {
        sendLine(arg);
    } else if (verb == "SLEEP") {
        serve(std::atoi(arg.c_str()), false);
    } else if (verb == "HELP") {
        std::fputs(kUsage, stderr);
    } else if (verb == "QUIT" || verb == "EXIT") {
        return false;
    } else {
        std::fprintf(stderr, "zelkova-cid-sim: unknown command: %s (try help)\n", line.c_str());
    }
    return true;
}

void Simulator::handleProgramLine(const std::string& raw)
{
    const std::string line = trim(raw);
    if (line.empty())
        return;
    const std::string cmd = upper(line);
    if (cmd.rfind("AT", 0) != 0) {
        std::fprintf(stderr, "< %s\n", line.c_str());
        return;
    }
    if (cmd.rfind("ATD", 0) == 0) {
        std::size_t pos = 3;
        if (pos < cmd.size() && (cmd[pos] == 'T' || cmd[pos] == 'P'))
            ++pos;
        std::string digits;
        for (; pos < cmd.size() && cmd[pos] != ';'; ++pos)
            digits += cmd[pos];
        std::printf("DIAL %s\n", digits.c_str());
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "< %s\n", line.c_str());
    }
    sendLine("OK");
}

void Simulator::readMaster()
{
    char buf[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buf, sizeof buf);
        if (n <= 0)
            return;
        for (ssize_t i = 0; i < n; ++i) {
            if (buf[i] == '\r' || buf[i] == '\n') {
                handleProgramLine(m_fromProgram);
                m_fromProgram.clear();
            } else if (m_fromProgram.size() < 1024) {
                m_fromProgram += buf[i];
            }
        }
    }
}

void Simulator::readStdin()
{
    char buf[512];
    const ssize_t n = ::read(STDIN_FILENO, buf, sizeof buf);
    if (n < 0 && errno == EINTR)
        return;
    if (n <= 0) {
        m_stdinOpen = false;
        if (!m_fromStdin.empty())
            m_fromStdin += '\n';
        return;
    }
    m_fromStdin.append(buf, static_cast<std::size_t>(n));
}

bool Simulator::takeStdinLine(std::string& line)
{
    const auto nl = m_fromStdin.find('\n');
    if (nl == std::string::npos)
        return false;
    line = m_fromStdin.substr(0, nl);
    m_fromStdin.erase(0, nl + 1);
    return true;
}

void Simulator::serve(int timeoutMs, bool watchStdin)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
    while (!g_stop) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return;
            wait = static_cast<int>(left);
        }
        pollfd fds[2] = {{m_master, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const bool withStdin = watchStdin && m_stdinOpen;
        const int rc = ::poll(fds, withStdin ? 2 : 1, wait);
        if (rc < 0) {
            if (errno == EINTR)
                continue;
            std::perror("zelkova-cid-sim: poll");
            g_stop = 1;
            return;
        }
        if (fds[0].revents & POLLIN)
            readMaster();
        if (withStdin && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            readStdin();
            if (m_fromStdin.find('\n') != std::string::npos || !m_stdinOpen)
                return;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    std::string script;
    std::string linkPath;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--script" || arg == "-s") && i + 1 < argc) {
            script += std::string(argv[++i]) + ';';
        } else if (arg == "--link" && i + 1 < argc) {
            linkPath = argv[++i];
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else {
            std::fprintf(stderr, "zelkova-cid-sim: unknown argument %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }

    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);

    Simulator sim;
    if (!sim.open(linkPath)) {
        sim.close();
        return 1;
    }
    bool running = true;
    for (const std::string& command : splitCommands(script)) {
        if (!running || g_stop)
            break;
        running = sim.execute(command);
    }
    while (running && !g_stop) {
        std::string line;
        while (running && !g_stop && sim.takeStdinLine(line)) {
            for (const std::string& command : splitCommands(line)) {
                if (!running || g_stop)
                    break;
                running = sim.execute(command);
            }
        }
        if (running && !g_stop)
            sim.serve(-1, true);
    }
    sim.close();
    return 0;
}
