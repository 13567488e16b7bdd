// quillmark_first_paint: times one start of a window program. It starts
// PROGRAM on the X display of $DISPLAY and waits for the first drawing on one
// of the program's top-level windows, as the X server's Damage extension
// reports it; prints the milliseconds from just before exec to that report on
// standard output, then ends the program (SIGTERM, SIGKILL if it lingers).
//
//   quillmark_first_paint PROGRAM [ARGUMENT...]
//
// Exit status 0 with a figure; 1 when the program ended or drew nothing
// within the time-out ($FIRST_PAINT_TIMEOUT seconds, default 20); 2 when the
// display or its Damage extension cannot be used. Meant for a display of its
// own (bench/first_paint.sh starts one): every window created there counts.
#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDefaultTimeoutSeconds = 20;
constexpr int kEndWaitMs = 5000;
constexpr int kPollSliceMs = 50;

struct SFreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbReply = std::unique_ptr<T, SFreeDeleter>;

double MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

int TimeoutMs()
{
    const char* pszValue = std::getenv("FIRST_PAINT_TIMEOUT");
    const int nSeconds = pszValue != nullptr ? std::atoi(pszValue) : 0;
    return (nSeconds > 0 && nSeconds < 3600 ? nSeconds : kDefaultTimeoutSeconds) * 1000;
}

// The Damage extension's first event code, or -1 when the server lacks it.
int DamageEventBase(xcb_connection_t* pConnection)
{
    const xcb_query_extension_reply_t* pExtension = xcb_get_extension_data(pConnection, &xcb_damage_id);
    if (pExtension == nullptr || pExtension->present == 0)
        return -1;
    // The version must be asked before any other request of the extension.
    const XcbReply<xcb_damage_query_version_reply_t> version(xcb_damage_query_version_reply(
        pConnection, xcb_damage_query_version(pConnection, XCB_DAMAGE_MAJOR_VERSION, XCB_DAMAGE_MINOR_VERSION),
        nullptr));
    return version != nullptr ? pExtension->first_event : -1;
}

// Ends the program: SIGTERM, then SIGKILL when it is still there after a while.
void EndProgram(pid_t pid)
{
    ::kill(pid, SIGTERM);
    for (int nWaited = 0; nWaited < kEndWaitMs; nWaited += kPollSliceMs) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        ::usleep(kPollSliceMs * 1000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

// Watches the windows created on the root window from now on and returns the
// time of the first damage on one of them; a negative value when the program
// ends first or the time runs out.
double WaitForFirstDamage(xcb_connection_t* pConnection, xcb_window_t root, int nDamageEvent, pid_t pid,
                          Clock::time_point start)
{
    const int nTimeoutMs = TimeoutMs();
    pollfd fd = {xcb_get_file_descriptor(pConnection), POLLIN, 0};
    while (MillisecondsSince(start) < nTimeoutMs) {
        while (xcb_generic_event_t* pEvent = xcb_poll_for_event(pConnection)) {
            const XcbReply<xcb_generic_event_t> event(pEvent);
            const int nType = event->response_type & ~0x80;
            if (nType == nDamageEvent + XCB_DAMAGE_NOTIFY)
                return MillisecondsSince(start);
            if (nType == XCB_CREATE_NOTIFY) {
                const auto* pCreate = reinterpret_cast<const xcb_create_notify_event_t*>(event.get());
                if (pCreate->parent != root)
                    continue;
                // A window gone again meanwhile makes an error event, which is passed over.
                xcb_damage_create(pConnection, xcb_generate_id(pConnection), pCreate->window,
                                  XCB_DAMAGE_REPORT_LEVEL_NON_EMPTY);
                xcb_flush(pConnection);
            }
        }
        if (xcb_connection_has_error(pConnection) != 0 || ::waitpid(pid, nullptr, WNOHANG) == pid)
            return -1;
        if (::poll(&fd, 1, kPollSliceMs) < 0 && errno != EINTR)
            return -1;
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: quillmark_first_paint PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    int nScreen = 0;
    xcb_connection_t* pConnection = xcb_connect(nullptr, &nScreen);
    if (xcb_connection_has_error(pConnection) != 0) {
        std::fprintf(stderr, "quillmark_first_paint: cannot open the display \"%s\"\n",
                     std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "");
        xcb_disconnect(pConnection);
        return 2;
    }
    const int nDamageEvent = DamageEventBase(pConnection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(pConnection));
    for (int n = 0; n < nScreen && screens.rem > 0; ++n)
        xcb_screen_next(&screens);
    if (nDamageEvent < 0 || screens.rem == 0) {
        std::fprintf(stderr, "quillmark_first_paint: the display has no Damage extension\n");
        xcb_disconnect(pConnection);
        return 2;
    }
    const xcb_window_t root = screens.data->root;
    const uint32_t nMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    const XcbReply<xcb_generic_error_t> error(xcb_request_check(
        pConnection, xcb_change_window_attributes_checked(pConnection, root, XCB_CW_EVENT_MASK, &nMask)));
    if (error != nullptr) {
        std::fprintf(stderr, "quillmark_first_paint: cannot watch the root window\n");
        xcb_disconnect(pConnection);
        return 2;
    }

    std::fflush(stdout);
    const Clock::time_point start = Clock::now();
    const pid_t pid = ::fork();
    if (pid < 0) {
        std::perror("quillmark_first_paint: fork");
        xcb_disconnect(pConnection);
        return 2;
    }
    if (pid == 0) {
        ::close(xcb_get_file_descriptor(pConnection));
        ::execvp(argv[1], argv + 1);
        std::fprintf(stderr, "quillmark_first_paint: cannot run %s\n", argv[1]);
        ::_exit(127);
    }
    const double dMs = WaitForFirstDamage(pConnection, root, nDamageEvent, pid, start);
    EndProgram(pid);
    xcb_disconnect(pConnection);
    if (dMs < 0) {
        std::fprintf(stderr, "quillmark_first_paint: %s drew nothing on the display\n", argv[1]);
        return 1;
    }
    std::printf("%.2f\n", dMs);
    return 0;
}
