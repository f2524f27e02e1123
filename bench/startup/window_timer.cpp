// Times how long a program takes from exec to its first top-level window being mapped on the X
// display, for each command given, alternating between them, and prints each one's spread: the
// fastest, the median and the slowest start, and the ratio of its median to the last command's.
//   window_timer RUNS -- CMD1 [ARGS] -- CMD2 [ARGS] ...
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// Runs the command and returns milliseconds until a window is mapped, or a negative value when it
// exits or shows nothing within ten seconds.
double timeOneStart(xcb_connection_t* c, const std::vector<char*>& argv) {
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) free(e);  // drop what came before
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv.data());
        _exit(127);
    }
    double ms = -1;
    const int fd = xcb_get_file_descriptor(c);
    while (ms < 0) {
        const double waited = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (waited > 10000) break;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return -1;
        fd_set set;
        FD_ZERO(&set);
        FD_SET(fd, &set);
        timeval tv{0, 2000};
        select(fd + 1, &set, nullptr, nullptr, &tv);
        while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7f) == XCB_MAP_NOTIFY) {
                auto* m = reinterpret_cast<xcb_map_notify_event_t*>(e);
                if (!m->override_redirect && ms < 0)
                    ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
            free(e);
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return ms;
}

struct Spread {
    double min = 0;
    double median = 0;
    double max = 0;
};

Spread spreadOf(std::vector<double> v) {
    if (v.empty()) return {};
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2], v.back()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || std::strcmp(argv[2], "--") != 0) {
        std::fprintf(stderr, "usage: window_timer RUNS -- CMD [ARGS] [-- CMD [ARGS] ...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<std::vector<char*>> commands;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0) {
            commands.emplace_back();
            continue;
        }
        commands.back().push_back(argv[i]);
    }
    for (auto& cmd : commands) cmd.push_back(nullptr);

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "window_timer: no X display\n");
        return 2;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);

    std::vector<std::vector<double>> times(commands.size());
    for (int r = 0; r < runs; ++r)
        for (size_t i = 0; i < commands.size(); ++i) {
            const double ms = timeOneStart(c, commands[i]);
            if (ms < 0) {
                std::fprintf(stderr, "window_timer: %s showed no window\n", commands[i][0]);
                return 1;
            }
            times[i].push_back(ms);
        }
    const double reference = spreadOf(times.back()).median;
    for (size_t i = 0; i < commands.size(); ++i) {
        const Spread s = spreadOf(times[i]);
        std::printf("%-40s min %7.1f  median %7.1f  max %7.1f ms  median's ratio to the last %.2f\n",
                    commands[i][0], s.min, s.median, s.max, s.median / reference);
    }
    xcb_disconnect(c);
    return 0;
}
