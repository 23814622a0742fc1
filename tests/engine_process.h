/*
 * Test helper: the real engine binary as a child process, in a directory
 * of the test's choosing, with its standard input and output on pipes, or
 * on a pseudo-terminal of 80 by 24 characters with TERM=xterm and no
 * inputrc (standard error stays the test's).
 *
 * When the environment variable VARNHOLT_WRAPPER is set, its blank-separated
 * words run in front of the binary (a memory checker, say: see `make
 * memcheck`), and every time limit below is stretched by engine_time_scale().
 */
#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <termios.h>
#include <vector>

class EngineProcess {
public:
    enum class Input { pipe, dev_null, terminal };

    // Starts the engine with `directory` as its working directory, `arguments`
    // as its process arguments and, when `file_size_limit` is not negative,
    // that limit on the size of the files it writes (RLIMIT_FSIZE, in bytes).
    explicit EngineProcess(const std::string& directory, Input input = Input::pipe, long file_size_limit = -1,
                           const std::vector<std::string>& arguments = {});
    // Kills the engine if it still runs.
    ~EngineProcess();
    EngineProcess(const EngineProcess&) = delete;
    EngineProcess& operator=(const EngineProcess&) = delete;

    // Writes `text` to the engine's standard input, collecting its output
    // meanwhile so that neither side can block the other.
    void send(const std::string& text);
    void close_input();
    // Stops reading the engine's output: its standard output becomes a pipe
    // without a reader.
    void close_output();
    // Collects output until `text` has appeared after position `from` of
    // the output; false after `seconds` without it.
    bool wait_for(const std::string& text, double seconds = 10, std::size_t from = 0);
    // Collects output for `seconds`, whatever comes.
    void collect_for(double seconds);
    // Collects output until `done` holds; false after `seconds` without it.
    bool wait_until(const std::function<bool()>& done, double seconds = 10);
    // Waits for the exit and returns the exit status, or -1 when the engine
    // was still running after `seconds` (it is killed then) or died of a
    // signal.
    int wait_exit(double seconds = 20);
    // The signal that ended the engine, or 0.
    int killed_by() const { return termination_signal; }
    void signal(int number);

    // Input::terminal: the mode of the pseudo-terminal now, and as it was
    // created.
    termios terminal_mode() const;
    const termios& created_terminal_mode() const { return created_mode; }

    const std::string& output() const { return out; }
    pid_t process_id() const { return pid; }
    // Whether the engine has neither exited nor been waited for.
    bool running();

private:
    // Reads what the engine wrote until `seconds` pass or `done` holds.
    template <typename Done>
    bool pump(double seconds, Done done);
    bool read_available(int timeout_ms);
    void record_exit(int raw);

    pid_t pid = -1;
    int to_engine = -1;
    int from_engine = -1;
    int terminal = -1;  // the pseudo-terminal's master side
    termios created_mode {};
    std::string out;
    int status = -1;
    int termination_signal = 0;
};

// 1, or a larger factor for every time limit when the engine runs under
// VARNHOLT_WRAPPER.
double engine_time_scale();

struct EngineRun {
    std::string output;
    int status;
};

// Runs the engine in `directory` with `input` on its standard input until
// it exits (the input should end with "quit").
EngineRun run_engine(const std::string& directory, const std::string& input,
                     const std::vector<std::string>& arguments = {});
