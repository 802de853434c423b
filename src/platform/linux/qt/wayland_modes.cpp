// The modes of a Wayland session's monitors, asked of the compositor
// itself. Qt knows each monitor in its logical size and a whole-number scale
// only: at a fractional scale (150%) the compositor reports the scale
// rounded up, so Qt's size times its scale is no size the monitor has.
#include <poll.h>
#include <wayland-client.h>

#include <chrono>
#include <cstring>
#include <memory>

#include "parts.h"

namespace sarvo::platform::linux_qt {

namespace {

// How long the compositor may take to answer; it has just answered Qt.
constexpr std::chrono::milliseconds kAnswerWait{2000};

struct Output {
    WaylandMode mode;
    wl_output* proxy = nullptr;
    bool turned = false;  // a quarter turn: the mode's width is the monitor's height
};

struct Session {
    std::vector<std::unique_ptr<Output>> outputs;
};

void OnGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*, const char*,
                int32_t transform) {
    auto* output = static_cast<Output*>(data);
    output->mode.x = x;
    output->mode.y = y;
    output->turned = transform % 2 == 1;  // 90 and 270 degrees, flipped or not
}

void OnMode(void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
    auto* output = static_cast<Output*>(data);
    if ((flags & WL_OUTPUT_MODE_CURRENT) == 0) return;
    output->mode.width = width;
    output->mode.height = height;
}

void OnName(void* data, wl_output*, const char* name) { static_cast<Output*>(data)->mode.name = name; }

void Ignore(void*, wl_output*) {}
void IgnoreScale(void*, wl_output*, int32_t) {}
void IgnoreText(void*, wl_output*, const char*) {}

const wl_output_listener kOutputListener{OnGeometry, OnMode, Ignore, IgnoreScale, OnName, IgnoreText};

void OnGlobal(void* data, wl_registry* registry, uint32_t id, const char* interface, uint32_t version) {
    if (std::strcmp(interface, wl_output_interface.name) != 0) return;
    auto output = std::make_unique<Output>();
    // Version 4 names the output as Qt does.
    output->proxy = static_cast<wl_output*>(wl_registry_bind(registry, id, &wl_output_interface, version < 4 ? version : 4));
    wl_output_add_listener(output->proxy, &kOutputListener, output.get());
    static_cast<Session*>(data)->outputs.push_back(std::move(output));
}

void OnGlobalRemove(void*, wl_registry*, uint32_t) {}

const wl_registry_listener kRegistryListener{OnGlobal, OnGlobalRemove};

void OnSyncDone(void* data, wl_callback* callback, uint32_t) {
    *static_cast<bool*>(data) = true;
    wl_callback_destroy(callback);
}

const wl_callback_listener kSyncListener{OnSyncDone};

// Waits until the compositor has answered everything asked so far, for no
// longer than `deadline`.
bool RoundTrip(wl_display* display, std::chrono::steady_clock::time_point deadline) {
    bool done = false;
    wl_callback* callback = wl_display_sync(display);
    wl_callback_add_listener(callback, &kSyncListener, &done);
    while (!done) {
        while (wl_display_prepare_read(display) != 0) wl_display_dispatch_pending(display);
        wl_display_flush(display);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        pollfd fd{wl_display_get_fd(display), POLLIN, 0};
        if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
            wl_display_cancel_read(display);
            return false;
        }
        if (wl_display_read_events(display) != 0) return false;
        wl_display_dispatch_pending(display);
    }
    return true;
}

}  // namespace

std::vector<WaylandMode> WaylandModes() {
    std::vector<WaylandMode> modes;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) return modes;
    Session session;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &kRegistryListener, &session);
    const auto deadline = std::chrono::steady_clock::now() + kAnswerWait;
    // The first answer names the outputs, the second brings what they say.
    const bool answered = RoundTrip(display, deadline) && RoundTrip(display, deadline);
    for (const auto& output : session.outputs) {
        WaylandMode mode = output->mode;
        if (output->turned) std::swap(mode.width, mode.height);
        if (answered && mode.width > 0 && mode.height > 0) modes.push_back(mode);
        wl_output_destroy(output->proxy);
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return modes;
}

}  // namespace sarvo::platform::linux_qt
