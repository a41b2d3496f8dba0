// Offscreen buffers: pixel memory for ports, and the graphics-world calls over it.
#include <cstring>
#include <new>

#include "platform/ToolboxState.h"

namespace {

// Rows are padded by at least 16 bytes and kept 16-byte aligned, so that every pixel
// loop meets padding at the end of a row.
int PaddedRowBytes(int width, int depth) {
    int used = depth == 1 ? (width + 7) / 8 : width * 4;
    return (used + 16 + 15) & ~15;
}

void FillWhite(uint8_t* base, int rowBytes, int width, int height, int depth) {
    if (depth == 1) {
        std::memset(base, 0, static_cast<size_t>(rowBytes) * height);
        return;
    }
    for (int y = 0; y < height; ++y) {
        uint8_t* p = base + static_cast<size_t>(y) * rowBytes;
        for (int x = 0; x < width; ++x, p += 4) {
            p[0] = 0;
            p[1] = p[2] = p[3] = 255;
        }
    }
}

void ResetPortState(GrafPort* port, const Rect& bounds) {
    port->portRect = bounds;
    port->clipRect = MakeRect(-32767, -32767, 32767, 32767);
    port->pnLoc = Point{};
    port->pnSize = Point{1, 1};
    port->pnPat = *GetQDBlackPattern();
    port->fgColor = RGBColor{0, 0, 0};
    port->bkColor = RGBColor{65535, 65535, 65535};
}

}  // namespace

OSErr AllocatePortPixels(GrafPort* port, const Rect& bounds, int depth) {
    if (depth != 1 && depth != 32) return paramErr;
    int width = std::max(0, RectWidth(bounds));
    int height = std::max(0, RectHeight(bounds));
    int rowBytes = PaddedRowBytes(width, depth);
    if (Toolbox().failNextAllocation) {
        Toolbox().failNextAllocation = false;
        return memFullErr;
    }
    size_t bytes = static_cast<size_t>(rowBytes) * std::max(height, 1);
    std::unique_ptr<uint8_t[]> storage(new (std::nothrow) uint8_t[bytes]);
    if (!storage) return memFullErr;
    FillWhite(storage.get(), rowBytes, width, height, depth);
    port->storage = std::move(storage);
    port->depth = depth;
    port->pixMap.baseAddr = port->storage.get();
    port->pixMap.rowBytes = static_cast<uint32_t>(rowBytes) | PixMap::kPixMapFlag;
    port->pixMap.bounds = bounds;
    port->pixMap.pixelSize = static_cast<int16_t>(depth);
    port->dirty = true;
    return noErr;
}

OSErr NewGWorld(GWorldPtr* world, int16_t depth, const Rect* bounds, CTabHandle, GDHandle,
                GWorldFlags) {
    *world = nullptr;
    auto port = std::make_unique<GrafPort>();
    port->kind = PortKind::kOffscreen;
    OSErr err = AllocatePortPixels(port.get(), *bounds, depth);
    if (err != noErr) return err;
    ResetPortState(port.get(), *bounds);
    *world = port.release();
    return noErr;
}

GWorldFlags UpdateGWorld(GWorldPtr* world, int16_t depth, const Rect* bounds, CTabHandle,
                         GDHandle, GWorldFlags) {
    GrafPort* port = *world;
    if (port == nullptr) return 0;
    // The old image is not kept: the buffer comes back white at its new size.
    if (AllocatePortPixels(port, *bounds, depth) != noErr) return 0;
    port->portRect = *bounds;
    port->clipRect = MakeRect(-32767, -32767, 32767, 32767);
    return 0;
}

void DisposeGWorld(GWorldPtr world) {
    if (world == nullptr) return;
    ForgetPort(world);
    delete world;
}

void GetGWorld(CGrafPtr* port, GDHandle* device) {
    *port = Toolbox().currentPort;
    if (device) *device = Toolbox().currentDevice;
}

void SetGWorld(CGrafPtr port, GDHandle device) {
    Toolbox().currentPort = port;
    Toolbox().currentDevice = device;
}

PixMapHandle GetGWorldPixMap(GWorldPtr world) { return world ? &world->pixMap : nullptr; }

bool LockPixels(PixMapHandle pm) { return pm != nullptr && pm->baseAddr != nullptr; }
void UnlockPixels(PixMapHandle) {}
Ptr GetPixBaseAddr(PixMapHandle pm) { return pm ? reinterpret_cast<Ptr>(pm->baseAddr) : nullptr; }
CTabHandle GetCTable(int16_t) { return nullptr; }

void FailNextGWorldAllocation(bool fail) { Toolbox().failNextAllocation = fail; }
