#include "platform/host/HeadlessHost.h"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "platform/Toolbox.h"
#include "platform/services/Clock.h"

void HeadlessHost::PumpEvents(std::deque<EventRecord>& queue, uint64_t waitMicros) {
    if (!input_.empty()) {
        while (!input_.empty()) {
            EventRecord e = input_.front();
            input_.pop_front();
            queue.push_back(e);
        }
        return;
    }
    // Nothing to deliver: the wait passes on the clock (virtual or real).
    if (waitMicros > 0 && advanceWhenIdle_) {
        if (Clock* clock = CurrentClock()) clock->SleepMicros(waitMicros);
    }
}

MouseState HeadlessHost::PollMouse() {
    if (!script_.empty()) {
        mouse_ = script_.front();
        script_.pop_front();
    } else {
        mouse_.down = false;
    }
    return mouse_;
}

void HeadlessHost::NoteMouseEvent(const EventRecord& e) {
    mouse_.where = e.where;
    mouse_.down = e.what == mouseDown;
    mouse_.modifiers = e.modifiers;
}

void HeadlessHost::PushEvent(const EventRecord& e) { input_.push_back(e); }

namespace {
EventRecord KeyEvent(uint16_t what, unsigned char c, uint16_t modifiers) {
    EventRecord e;
    e.what = what;
    e.message = c;
    e.modifiers = modifiers;
    return e;
}
}  // namespace

void HeadlessHost::PushKeyDown(unsigned char c, uint16_t modifiers) {
    PushEvent(KeyEvent(keyDown, c, modifiers));
}

void HeadlessHost::PushAutoKey(unsigned char c, uint16_t modifiers) {
    PushEvent(KeyEvent(autoKey, c, modifiers));
}

void HeadlessHost::PushKeyUp(unsigned char c, uint16_t modifiers) {
    PushEvent(KeyEvent(keyUp, c, modifiers));
}

void HeadlessHost::PushMouseDown(Point global, uint16_t modifiers) {
    EventRecord e;
    e.what = mouseDown;
    e.where = global;
    e.modifiers = modifiers;
    PushEvent(e);
}

void HeadlessHost::PushMouseUp(Point global, uint16_t modifiers) {
    EventRecord e;
    e.what = mouseUp;
    e.where = global;
    e.modifiers = modifiers | btnState;
    PushEvent(e);
}

void HeadlessHost::ScriptMouse(const std::vector<MouseState>& positions) {
    script_.insert(script_.end(), positions.begin(), positions.end());
}

void HeadlessHost::ScriptDrag(Point from, Point to, int steps, uint16_t modifiers) {
    PushMouseDown(from, modifiers);
    steps = std::max(steps, 1);
    for (int i = 1; i <= steps; ++i) {
        Point p{static_cast<int16_t>(from.v + (to.v - from.v) * i / steps),
                static_cast<int16_t>(from.h + (to.h - from.h) * i / steps)};
        script_.push_back(MouseState{p, true, modifiers});
    }
    script_.push_back(MouseState{to, false, modifiers});
    PushMouseUp(to, modifiers);
}

void HeadlessHost::SetMouse(Point global, bool down) {
    mouse_.where = global;
    mouse_.down = down;
}

bool WritePortPNG(const GrafPort* port, const std::string& path) {
    const PixMap& pm = port->pixMap;
    int width = RectWidth(pm.bounds), height = RectHeight(pm.bounds);
    if (pm.baseAddr == nullptr || width <= 0 || height <= 0) return false;
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (png == nullptr || info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        std::remove(path.c_str());
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = pm.baseAddr + static_cast<size_t>(y) * pm.RowBytes();
        for (int x = 0; x < width; ++x) {
            if (pm.pixelSize == 1) {
                bool black = (src[x >> 3] & (0x80 >> (x & 7))) != 0;
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = black ? 0 : 255;
            } else {
                row[3 * x] = src[4 * x + 1];
                row[3 * x + 1] = src[4 * x + 2];
                row[3 * x + 2] = src[4 * x + 3];
            }
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    bool ok = std::fflush(f) == 0;
    ok = std::fclose(f) == 0 && ok;
    if (!ok) std::remove(path.c_str());
    return ok;
}
