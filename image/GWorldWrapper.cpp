#include "image/GWorldWrapper.h"

#include <new>

CGrafPtr GWorldWrapper::sOldGW = nullptr;
GDHandle GWorldWrapper::sOldGD = nullptr;

namespace {
CTabHandle TableFor(int colorTableId) {
    return colorTableId == -1 ? nullptr : GetCTable(static_cast<int16_t>(colorTableId));
}
}  // namespace

GWorldWrapper::GWorldWrapper(int depth, Rect bounds, int colorTableId)
    : bounds(bounds), depth(depth), colorTableId(colorTableId) {
    colorTable = TableFor(colorTableId);
    OSErr err = NewGWorld(&gWorld, static_cast<int16_t>(depth), &bounds, colorTable, nullptr, 0);
    if (err == memFullErr || gWorld == nullptr) throw std::bad_alloc();
    TakePixMap();
    EraseGWorldRect();
}

GWorldWrapper::~GWorldWrapper() { DisposeGWorld(gWorld); }

// The flag bits at the top of the row-bytes word are cleared; the rest is the stride.
void GWorldWrapper::TakePixMap() {
    StartUsingGWorld();
    srcPixMap = GetGWorldPixMap(gWorld);
    srcRowBytes = static_cast<int>(srcPixMap->rowBytes & PixMap::kRowBytesMask);
    FinishUsingGWorld();
    pixMap = GetGWorldPixMap(gWorld);
}

void GWorldWrapper::StartUsingGWorld() {
    GetGWorld(&sOldGW, &sOldGD);
    if (!LockPixels(GetGWorldPixMap(gWorld))) SysBeep(1);
    SetGWorld(gWorld, nullptr);
}

void GWorldWrapper::FinishUsingGWorld() {
    SetGWorld(sOldGW, sOldGD);
    UnlockPixels(GetGWorldPixMap(gWorld));
}

void GWorldWrapper::EraseGWorldRect() {
    StartUsingGWorld();
    BackColor(whiteColor);
    Rect r;
    GetPortBounds(gWorld, &r);
    EraseRect(&r);
    FinishUsingGWorld();
}

void GWorldWrapper::CopyToCurrentPort(const Rect& src, const Rect& dst) {
    LockPixels(pixMap);
    CopyBits(pixMap, GetPortBitMapForCopyBits(CurrentPort()), &src, &dst, ditherCopy, nullptr);
    UnlockPixels(pixMap);
}

void GWorldWrapper::CopyWorldBits(Rect dst) {
    Rect src;
    GetPortBounds(gWorld, &src);
    CopyToCurrentPort(src, dst);
}

void GWorldWrapper::CopyWorldBits(Rect src, Rect dst) { CopyToCurrentPort(src, dst); }

void GWorldWrapper::CopyWorldBits(Rect dst, GrafPtr port) {
    Rect src;
    GetPortBounds(gWorld, &src);
    CopyWorldBits(src, dst, port);
}

void GWorldWrapper::CopyWorldBits(Rect src, Rect dst, GrafPtr port) {
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    SetPort(port);
    CopyToCurrentPort(src, dst);
    SetGWorld(savedPort, savedDevice);
}

void GWorldWrapper::UpdateGWorldFromRect(Rect newBounds) {
    colorTable = TableFor(colorTableId);
    UpdateGWorld(&gWorld, static_cast<int16_t>(depth), &newBounds, colorTable, nullptr, 0);
    TakePixMap();
    EraseGWorldRect();
    bounds = newBounds;
}
