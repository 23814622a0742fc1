#include "engine_process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utmp.h>
#include <vector>

#ifndef VARNHOLT_BINARY
#error "VARNHOLT_BINARY must name the engine binary"
#endif

namespace {
using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The words of VARNHOLT_WRAPPER, or none when it is unset or blank.
std::vector<std::string> wrapper_words()
{
    std::vector<std::string> words;
    const char* wrapper = std::getenv("VARNHOLT_WRAPPER");
    std::istringstream split(wrapper ? wrapper : "");
    for (std::string word; split >> word;)
        words.push_back(word);
    return words;
}

// This process's environment as a terminal session sees it: an xterm, and
// readline without the user's key bindings.
std::vector<std::string> terminal_environment()
{
    std::vector<std::string> variables {"TERM=xterm", "INPUTRC=/dev/null"};
    for (char** variable = environ; *variable; ++variable) {
        const std::string text = *variable;
        if (text.rfind("TERM=", 0) != 0 && text.rfind("INPUTRC=", 0) != 0)
            variables.push_back(text);
    }
    return variables;
}
}

double engine_time_scale()
{
    // A memory checker runs the engine some twenty to fifty times slower.
    static const double scale = wrapper_words().empty() ? 1 : 30;
    return scale;
}

EngineProcess::EngineProcess(const std::string& directory, Input input, long file_size_limit,
                             const std::vector<std::string>& arguments)
{
    std::signal(SIGPIPE, SIG_IGN);
    // Built before the fork: the child may only exec or _exit.
    std::vector<std::string> words = wrapper_words();
    words.push_back(VARNHOLT_BINARY);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> command;
    for (std::string& word : words)
        command.push_back(word.data());
    command.push_back(nullptr);
    std::vector<std::string> variables;
    if (input == Input::terminal)
        variables = terminal_environment();
    std::vector<char*> environment;
    for (std::string& variable : variables)
        environment.push_back(variable.data());
    environment.push_back(nullptr);
    int in_pipe[2];
    int out_pipe[2];
    int terminal_slave = -1;
    if (input == Input::terminal) {
        winsize size {24, 80, 0, 0};
        if (openpty(&terminal, &terminal_slave, nullptr, nullptr, &size) != 0)
            throw std::runtime_error("openpty failed");
        fcntl(terminal, F_SETFD, FD_CLOEXEC);
        tcgetattr(terminal, &created_mode);
        in_pipe[1] = fcntl(terminal, F_DUPFD_CLOEXEC, 0);
        out_pipe[0] = fcntl(terminal, F_DUPFD_CLOEXEC, 0);
        in_pipe[0] = out_pipe[1] = terminal_slave;
    } else if (pipe2(in_pipe, O_CLOEXEC) != 0 || pipe2(out_pipe, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        // An ignored signal stays ignored across exec; the engine must start
        // as it would from a shell.
        std::signal(SIGPIPE, SIG_DFL);
        if (chdir(directory.c_str()) != 0)
            _exit(126);
        if (file_size_limit >= 0) {
            const rlimit limit {static_cast<rlim_t>(file_size_limit), static_cast<rlim_t>(file_size_limit)};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (input == Input::terminal) {
            // The terminal becomes the controlling one of a new session.
            const int error = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
            if (login_tty(terminal_slave) != 0)
                _exit(126);
            dup2(error, STDERR_FILENO);
            environ = environment.data();
        } else if (input == Input::dev_null) {
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, STDIN_FILENO);
        } else {
            dup2(in_pipe[0], STDIN_FILENO);
        }
        dup2(out_pipe[1], STDOUT_FILENO);
        execvp(command[0], command.data());
        _exit(127);
    }
    close(in_pipe[0]);
    if (out_pipe[1] != in_pipe[0])
        close(out_pipe[1]);
    to_engine = in_pipe[1];
    from_engine = out_pipe[0];
    if (input == Input::dev_null)
        close_input();
}

EngineProcess::~EngineProcess()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    close_input();
    if (from_engine >= 0)
        close(from_engine);
    if (terminal >= 0)
        close(terminal);
}

termios EngineProcess::terminal_mode() const
{
    termios mode {};
    tcgetattr(terminal, &mode);
    return mode;
}

bool EngineProcess::read_available(int timeout_ms)
{
    if (from_engine < 0) {
        // Nothing to read, but callers that poll in a loop still wait.
        poll(nullptr, 0, timeout_ms);
        return false;
    }
    pollfd readable {from_engine, POLLIN, 0};
    if (poll(&readable, 1, timeout_ms) <= 0)
        return false;
    char block[65536];
    const ssize_t count = read(from_engine, block, sizeof block);
    if (count <= 0) {
        close(from_engine);
        from_engine = -1;
        return false;
    }
    out.append(block, static_cast<std::size_t>(count));
    return true;
}

template <typename Done>
bool EngineProcess::pump(double seconds, Done done)
{
    const auto start = Clock::now();
    while (!done()) {
        if (seconds_since(start) > seconds)
            return false;
        if (!read_available(10) && from_engine < 0 && !done())
            return false;
    }
    return true;
}

void EngineProcess::send(const std::string& text)
{
    std::size_t sent = 0;
    while (sent < text.size() && to_engine >= 0) {
        pollfd fds[2] = {{to_engine, POLLOUT, 0}, {from_engine, POLLIN, 0}};
        poll(fds, from_engine >= 0 ? 2 : 1, 100);
        if (fds[0].revents & (POLLOUT | POLLERR | POLLHUP)) {
            const ssize_t count = write(to_engine, text.data() + sent, text.size() - sent);
            if (count < 0 && errno != EINTR && errno != EAGAIN)
                break;
            if (count > 0)
                sent += static_cast<std::size_t>(count);
        }
        if (fds[1].revents)
            read_available(0);
    }
}

void EngineProcess::close_input()
{
    if (to_engine >= 0)
        close(to_engine);
    to_engine = -1;
}

void EngineProcess::close_output()
{
    if (from_engine >= 0)
        close(from_engine);
    from_engine = -1;
}

bool EngineProcess::wait_for(const std::string& text, double seconds, std::size_t from)
{
    return pump(seconds * engine_time_scale(), [&] { return out.find(text, from) != std::string::npos; });
}

void EngineProcess::collect_for(double seconds)
{
    pump(seconds * engine_time_scale(), [] { return false; });
}

bool EngineProcess::wait_until(const std::function<bool()>& done, double seconds)
{
    return pump(seconds * engine_time_scale(), done);
}

int EngineProcess::wait_exit(double seconds)
{
    seconds *= engine_time_scale();
    const auto start = Clock::now();
    while (pid > 0) {
        int raw = 0;
        const pid_t done = waitpid(pid, &raw, WNOHANG);
        if (done == pid) {
            pid = -1;
            record_exit(raw);
            break;
        }
        if (seconds_since(start) > seconds) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
            status = -1;
            break;
        }
        read_available(10);
    }
    while (read_available(100)) {
    }
    return status;
}

bool EngineProcess::running()
{
    if (pid > 0) {
        int raw = 0;
        if (waitpid(pid, &raw, WNOHANG) == pid) {
            pid = -1;
            record_exit(raw);
        }
    }
    return pid > 0;
}

void EngineProcess::record_exit(int raw)
{
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    termination_signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
}

void EngineProcess::signal(int number)
{
    if (pid > 0)
        kill(pid, number);
}

EngineRun run_engine(const std::string& directory, const std::string& input,
                     const std::vector<std::string>& arguments)
{
    EngineProcess engine(directory, EngineProcess::Input::pipe, -1, arguments);
    engine.send(input);
    const int status = engine.wait_exit();
    return {engine.output(), status};
}
