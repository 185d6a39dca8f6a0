// Start-up time of the tool against a bare Qt window of the same size and title
// (bench_bare_window), measured the same way for both in one run: from just before the process
// is spawned until
//   - "first rendered": the screenshot that --screenshot writes once the window is shown has
//     been closed after writing (inotify on a private folder; both write an uncompressed BMP of
//     the same size, so saving costs both the same), and
//   - "mapped": under X (DISPLAY set), the X server's MapNotify for the program's top-level
//     window, seen on the root window.
// A second yardstick, the bare window with one Chinese caption and one text box in the tool's
// font (bench_bare_window --text), shows what any window with Chinese text pays before it can be
// shown. The runs of the programs alternate (forwards in even rounds, backwards in odd ones),
// after one warm-up run of each that is not counted; figures are medians. Offscreen is always
// measured, xcb too when DISPLAY is set (for example under xvfb-run -a). Each run gets a fresh
// private runtime folder, so the tool finds no simulated pad.
//
// Every Qt window on X connects to the session bus when it is first shown (for screen readers),
// as it does on any desktop. Without a session bus in the environment the benchmark runs itself
// under dbus-run-session, so that the programs do not each start a bus of their own through
// dbus-launch (about 11 ms each); --no-session-bus measures that case instead.
//
// Usage: bench_startup [--no-session-bus] [runs of each program per platform, default 10]
//                      [folder holding vorlin-config and bench_bare_window, default this one]
#include "bench/BenchSupport.h"

#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr int kTimeoutMs = 30000;
constexpr const char *kShotName = "window.bmp";

struct Program {
    const char *label;
    std::string path;
    std::vector<std::string> options;
};

// Milliseconds from the spawn to each end point; negative when it was not seen.
struct Times {
    double mapped = -1;
    double rendered = -1;
};

double MsSince(SteadyClock::time_point start) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - start).count();
}

[[noreturn]] void Die(const std::string &message) {
    std::fprintf(stderr, "bench_startup: %s\n", message.c_str());
    std::exit(1);
}

// What the process sees of the programs it starts: the screenshot being written, and, with an X
// connection, top-level windows being mapped.
class Observer {
public:
    Observer(bool withX, bool withoutBus) : withoutBus(withoutBus) {
        char folderTemplate[] = "/tmp/bench-startup-XXXXXX";
        if (!::mkdtemp(folderTemplate))
            Die("cannot make a scratch folder");
        folder = folderTemplate;
        inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (inotify < 0 || ::inotify_add_watch(inotify, folder.c_str(), IN_CLOSE_WRITE) < 0)
            Die("cannot watch the scratch folder");
        if (!withX)
            return;
        int screenNumber = 0;
        x = xcb_connect(nullptr, &screenNumber);
        if (xcb_connection_has_error(x))
            Die("cannot connect to the X display in DISPLAY");
        xcb_screen_iterator_t screen = xcb_setup_roots_iterator(xcb_get_setup(x));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&screen);
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(x, screen.data->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(x);
    }
    Observer(const Observer &) = delete;
    Observer &operator=(const Observer &) = delete;
    ~Observer() {
        if (x)
            xcb_disconnect(x);
        ::close(inotify);
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // Starts the program on the platform with a fresh runtime folder and waits until it has
    // rendered (and mapped, under X) and ended.
    Times Run(const Program &program, const char *platform) {
        const std::string runtime = folder + "/runtime-" + std::to_string(++runs);
        if (::mkdir(runtime.c_str(), 0700) != 0)
            Die("cannot make " + runtime);
        const std::string shot = folder + "/" + kShotName;
        ::unlink(shot.c_str());
        Forget();

        // Offscreen runs get no display at all: with DISPLAY set, Qt's offscreen platform also
        // connects to the X server, which is not what a start-up without a display costs.
        const bool offscreen = std::strcmp(platform, "offscreen") == 0;
        std::vector<std::string> environment;
        for (char **entry = environ; *entry; ++entry) {
            const std::string_view variable(*entry);
            const auto is = [&](std::string_view name) { return variable.starts_with(name); };
            if (!is("QT_QPA_PLATFORM=") && !is("XDG_RUNTIME_DIR=") &&
                !(offscreen && (is("DISPLAY=") || is("WAYLAND_DISPLAY="))) &&
                !(withoutBus && is("DBUS_SESSION_BUS_ADDRESS=")))
                environment.emplace_back(variable);
        }
        environment.push_back(std::string("QT_QPA_PLATFORM=") + platform);
        environment.push_back("XDG_RUNTIME_DIR=" + runtime);
        std::vector<char *> envp;
        for (std::string &entry : environment)
            envp.push_back(entry.data());
        envp.push_back(nullptr);
        std::vector<std::string> arguments = {program.path, "--screenshot", shot};
        arguments.insert(arguments.end(), program.options.begin(), program.options.end());
        std::vector<char *> argv;
        for (std::string &argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const std::string &path = arguments.front();

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const SteadyClock::time_point start = SteadyClock::now();
        const int spawned =
            ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0)
            Die("cannot start " + program.path + ": " + std::strerror(spawned));

        Times times;
        bool ended = false;
        bool lookedAgain = false;
        int status = 0;
        while (MsSince(start) < kTimeoutMs) {
            if (x && times.mapped < 0 && SawMap())
                times.mapped = MsSince(start);
            if (times.rendered < 0 && SawShot())
                times.rendered = MsSince(start);
            if (!ended && ::waitpid(pid, &status, WNOHANG) == pid)
                ended = true;
            if (ended && times.rendered >= 0 && (!x || times.mapped >= 0))
                break;
            if (ended) {
                // The last events may still be on their way: one more look, then give up.
                if (lookedAgain)
                    break;
                lookedAgain = true;
            }
            pollfd fds[2] = {{inotify, POLLIN, 0},
                             {x ? xcb_get_file_descriptor(x) : -1, POLLIN, 0}};
            ::poll(fds, x ? 2 : 1, 5);
        }
        if (!ended) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            Die(program.path + " did not end within " + std::to_string(kTimeoutMs) + " ms");
        }
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            Die(program.path + " --screenshot failed (status " + std::to_string(status) + ")");
        if (times.rendered < 0)
            Die(program.path + " ended without writing its screenshot");
        if (x && times.mapped < 0)
            Die(program.path + " ended without mapping a window");
        return times;
    }

private:
    // Drops what earlier runs left behind.
    void Forget() {
        while (SawShot()) {
        }
        while (x && SawMap()) {
        }
    }

    bool SawShot() {
        alignas(inotify_event) char buffer[sizeof(inotify_event) + NAME_MAX + 1];
        bool seen = false;
        ssize_t size = 0;
        while ((size = ::read(inotify, buffer, sizeof buffer)) > 0) {
            for (char *at = buffer; at < buffer + size;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if (event->len > 0 && std::strcmp(event->name, kShotName) == 0)
                    seen = true;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return seen;
    }

    // A top-level, window-manager-managed window was mapped.
    bool SawMap() {
        bool seen = false;
        while (xcb_generic_event_t *event = xcb_poll_for_event(x)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY &&
                !reinterpret_cast<xcb_map_notify_event_t *>(event)->override_redirect)
                seen = true;
            std::free(event);
        }
        return seen;
    }

    const bool withoutBus;
    std::string folder;
    int inotify = -1;
    xcb_connection_t *x = nullptr;
    int runs = 0;
};

std::string OwnFolder() {
    char path[PATH_MAX] = {};
    const ssize_t size = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (size <= 0)
        Die("cannot find my own folder");
    return std::filesystem::path(std::string(path, size_t(size))).parent_path();
}

std::string Joined(const std::vector<double> &values) {
    std::string text;
    for (double value : values)
        text += (text.empty() ? "" : " ") + std::to_string(int(value + 0.5));
    return text;
}

} // namespace

// Runs the benchmark again inside a session bus of its own when the environment has none.
static void EnsureSessionBus(char *argv[]) {
    const char *bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if ((bus && *bus) || std::getenv("BENCH_STARTUP_OWN_BUS"))
        return;
    ::setenv("BENCH_STARTUP_OWN_BUS", "1", 1);
    std::vector<char *> command = {const_cast<char *>("dbus-run-session"),
                                   const_cast<char *>("--")};
    for (char **argument = argv; *argument; ++argument)
        command.push_back(*argument);
    command.push_back(nullptr);
    ::execvp(command[0], command.data());
    std::fprintf(stderr,
                 "bench_startup: no dbus-run-session (%s); going on without a session bus\n",
                 std::strerror(errno));
}

int main(int argc, char *argv[]) {
    const bool withoutBus = argc > 1 && std::strcmp(argv[1], "--no-session-bus") == 0;
    if (withoutBus) {
        --argc;
        ++argv;
    } else {
        EnsureSessionBus(argv);
    }
    const int runs = argc > 1 ? std::atoi(argv[1]) : 10;
    const std::string folder = argc > 2 ? argv[2] : OwnFolder();
    if (runs < 1)
        Die("the number of runs must be at least 1");
    const Program programs[3] = {{"vorlin-config", folder + "/vorlin-config", {}},
                                 {"bare window", folder + "/bench_bare_window", {}},
                                 {"bare window + text", folder + "/bench_bare_window", {"--text"}}};
    constexpr int kPrograms = 3;
    const char *display = std::getenv("DISPLAY");
    const bool withX = display && *display;
    const char *bus = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    const bool hasBus = !withoutBus && bus && *bus;

    std::printf("bench_startup: %d runs of each program per platform, interleaved, after one "
                "warm-up run each; medians; session bus: %s\n",
                runs,
                hasBus ? (std::getenv("BENCH_STARTUP_OWN_BUS") ? "yes (dbus-run-session)" : "yes")
                       : "none");
    std::printf("%-10s %-15s %14s %12s %6s %19s %6s\n", "platform", "end point", "vorlin-config",
                "bare window", "ratio", "bare window + text", "ratio");

    std::vector<const char *> platforms = {"offscreen"};
    if (withX)
        platforms.push_back("xcb");
    std::vector<std::string> details;
    for (const char *platform : platforms) {
        const bool x = std::strcmp(platform, "xcb") == 0;
        Observer observer(x, withoutBus);
        std::vector<double> mapped[kPrograms], rendered[kPrograms];
        for (const Program &program : programs)
            observer.Run(program, platform);
        for (int round = 0; round < runs; ++round) {
            for (int turn = 0; turn < kPrograms; ++turn) {
                const int which = round % 2 == 0 ? turn : kPrograms - 1 - turn;
                const Times times = observer.Run(programs[which], platform);
                mapped[which].push_back(times.mapped);
                rendered[which].push_back(times.rendered);
            }
        }
        const auto row = [&](const char *endPoint, const std::vector<double>(&samples)[kPrograms]) {
            double medians[kPrograms];
            for (int which = 0; which < kPrograms; ++which)
                medians[which] = vorlin::bench::Summarise(samples[which]).median;
            std::printf("%-10s %-15s %11.0f ms %9.0f ms %6.2f %16.0f ms %6.2f\n", platform,
                        endPoint, medians[0], medians[1], medians[0] / medians[1], medians[2],
                        medians[0] / medians[2]);
            for (int which = 0; which < kPrograms; ++which)
                details.push_back(std::string(platform) + " " + endPoint + ", " +
                                  programs[which].label + ", ms: " + Joined(samples[which]));
        };
        if (x)
            row("mapped", mapped);
        row("first rendered", rendered);
    }
    for (const std::string &line : details)
        std::printf("  %s\n", line.c_str());
    std::printf("load average %s\n", vorlin::bench::LoadAverage().constData());
    return 0;
}
