#include "varnholt/engine/service_notify.h"

#include <cstdlib>
#include <dlfcn.h>
#include <limits>
#include <systemd/sd-daemon.h>

#include "varnholt/console/console.h"

namespace varnholt {

namespace {
constexpr std::int64_t never = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t status_interval_ns = 10'000'000'000;

// The library's functions, typed by its own header; null until loaded.
decltype(&sd_notify) notify_function = nullptr;
bool load_tried = false;
std::int64_t ping_interval = 0;  // ns; 0 without a watchdog
std::int64_t next_due = never;

bool notifying()
{
    if (load_tried)
        return notify_function != nullptr;
    load_tried = true;
    if (!std::getenv("NOTIFY_SOCKET"))
        return false;
    // Kept loaded to the end of the process.
    void* library = dlopen("libsystemd.so.0", RTLD_NOW | RTLD_LOCAL);
    decltype(&sd_watchdog_enabled) watchdog_enabled = nullptr;
    if (library) {
        notify_function = reinterpret_cast<decltype(&sd_notify)>(dlsym(library, "sd_notify"));
        watchdog_enabled = reinterpret_cast<decltype(&sd_watchdog_enabled)>(dlsym(library, "sd_watchdog_enabled"));
    }
    if (!notify_function) {
        console << "NOTIFY_SOCKET is set, but libsystemd.so.0 cannot be loaded: the service manager is not notified"
                << std::endl;
        return false;
    }
    // Also checks WATCHDOG_PID: a ping is this process's to send.
    std::uint64_t microseconds = 0;
    if (watchdog_enabled && watchdog_enabled(0, &microseconds) > 0 && microseconds > 0)
        ping_interval = static_cast<std::int64_t>(microseconds) * 1000 / 2;
    return true;
}

void notify(const std::string& state)
{
    if (notifying())
        notify_function(0, state.c_str());
}
}

void notify_ready(const std::string& status)
{
    notify("READY=1\nSTATUS=" + status);
}

void notify_frame(std::int64_t now, std::string (*status)())
{
    if (!notifying())
        return;
    if (next_due == never)
        next_due = now;
    if (now < next_due)
        return;
    next_due = now + (ping_interval > 0 ? ping_interval : status_interval_ns);
    notify((ping_interval > 0 ? "WATCHDOG=1\nSTATUS=" : "STATUS=") + status());
}

std::int64_t notify_deadline()
{
    return ping_interval > 0 ? next_due : never;
}

void notify_stopping()
{
    notify("STOPPING=1");
}

}  // namespace varnholt
