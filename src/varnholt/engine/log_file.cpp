#include "varnholt/engine/log_file.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

#include "varnholt/base/reopen_request.h"
#include "varnholt/console/console.h"
#include "varnholt/console/registration_unit.h"
#include "varnholt/variables/variable.h"
#include "varnholt/vfs/archive.h"
#include "varnholt/vfs/save_file.h"
#include "varnholt/vfs/vfs.h"

namespace varnholt {

// Its objects stand in the listings where the core's list puts this unit.
RegistrationUnit log_unit("log");

namespace {
// Lines gathered beyond this are written at once, without waiting for the
// frame's flush: a flood of output holds bounded memory.
constexpr std::size_t gathered_bytes = 64 * 1024;

class LogFile final : public ConsoleSink {
public:
    void write(const char* text, std::streamsize length) override;
    // Writes the gathered lines.
    void flush();
    // Closes the file, then opens the one `logfile` names now, if any.
    void reopen();

private:
    void add_line();
    // Closes the file and says why in one console line.
    void pause(const char* doing, const char* why);

    int fd = -1;
    std::string name;     // what `logfile` held when the file was opened
    std::string partial;  // the line being written
    std::string gathered; // whole lines with their times, not yet written
    std::time_t stamped_second = -1;
    char second_text[32] = "";
};

LogFile log;

// Setting it, even to the same name, reopens the file: the way to retry
// after a failure without a signal. reset and reset_all reopen it too.
class LogFileVariable final : public Variable<std::string> {
public:
    using Variable<std::string>::Variable;

    bool set_value(const std::string& v) override
    {
        if (!Variable<std::string>::set_value(v))
            return false;
        console.set_sink(&log);
        log.reopen();
        return true;
    }

    void reset_to_default() override
    {
        Variable<std::string>::reset_to_default();
        log.reopen();
    }
};

LogFileVariable logfile("logfile", "", not_saved,
                        "File under the data directories that every console line is appended to; empty for none");
const RegistrationUnit::End log_unit_end(log_unit);

void LogFile::write(const char* text, std::streamsize length)
{
    // A line printed after SIGHUP goes to the new file.
    if (take_reopen_request())
        reopen();
    if (fd < 0)
        return;
    for (;;) {
        const auto* end = static_cast<const char*>(std::memchr(text, '\n', static_cast<std::size_t>(length)));
        if (!end) {
            partial.append(text, static_cast<std::size_t>(length));
            break;
        }
        partial.append(text, end);
        add_line();
        length -= end + 1 - text;
        text = end + 1;
    }
    // A line without end is cut into pieces of this size.
    if (partial.size() >= gathered_bytes)
        add_line();
    if (gathered.size() >= gathered_bytes)
        flush();
}

void LogFile::add_line()
{
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_sec != stamped_second) {
        tm utc {};
        gmtime_r(&now.tv_sec, &utc);
        std::strftime(second_text, sizeof second_text, "%Y-%m-%dT%H:%M:%S", &utc);
        stamped_second = now.tv_sec;
    }
    char milliseconds[8];
    std::snprintf(milliseconds, sizeof milliseconds, ".%03dZ ", static_cast<int>(now.tv_nsec / 1'000'000));
    gathered.append(second_text).append(milliseconds).append(partial) += '\n';
    partial.clear();
}

void LogFile::flush()
{
    for (std::size_t at = 0; fd >= 0 && at < gathered.size();) {
        const ssize_t written = ::write(fd, gathered.data() + at, gathered.size() - at);
        if (written < 0 && errno == EINTR)
            continue;
        // Past the file-size limit a write fails with EFBIG (SIGXFSZ is
        // ignored, process/signals.h); one that writes nothing is a full disk.
        if (written <= 0) {
            pause("writing", std::strerror(written < 0 ? errno : ENOSPC));
            break;
        }
        at += static_cast<std::size_t>(written);
    }
    gathered.clear();
}

void LogFile::reopen()
{
    flush();
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    partial.clear();
    name = logfile.value;
    if (name.empty())
        return;
    if (vfs_name_climbs(name.c_str())) {
        pause("opening", "the name leads out of the data directories");
        return;
    }
    // Never blocks, on a named pipe without a reader say: the open fails.
    const int flags = O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    for (const std::string* directory : {&gamepath.value, &basepath.value}) {
        fd = ::open((*directory + '/' + name).c_str(), flags, shared_file);
        if (fd >= 0)
            return;
    }
    pause("opening", std::strerror(errno));
}

void LogFile::pause(const char* doing, const char* why)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
    partial.clear();
    gathered.clear();
    // With no file open, this line goes to the screen only.
    console << "Error " << doing << " log file \"" << name << "\": " << why
            << "; logging paused until the next reopen" << std::endl;
}
}

void log_frame()
{
    if (take_reopen_request())
        log.reopen();
    log.flush();
}

void log_shutdown()
{
    log.flush();
    console.set_sink(nullptr);
}

}  // namespace varnholt
