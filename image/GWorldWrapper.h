// The 32-bit pixel buffer every frame lives in: an offscreen port whose pixels the
// processing code reads and writes directly (4 bytes a pixel: unused, red, green,
// blue; rows GetSrcRowBytes() apart), and which copies itself, scaled, into ports.
#pragma once

#include "platform/Toolbox.h"

class GWorldWrapper {
public:
    // Allocates the buffer, all white. Throws std::bad_alloc when memory runs out.
    GWorldWrapper(int depth, Rect bounds, int colorTableId);
    ~GWorldWrapper();
    GWorldWrapper(const GWorldWrapper&) = delete;
    GWorldWrapper& operator=(const GWorldWrapper&) = delete;

    Rect GetDim() const { return bounds; }
    GWorldPtr GetGWorldPtr() const { return gWorld; }
    PixMapHandle GetSrcPixMap() const { return srcPixMap; }
    int GetSrcRowBytes() const { return srcRowBytes; }

    // Brackets direct pixel access and drawing into the buffer. Pairs never nest:
    // the port they restore is kept class-wide.
    void StartUsingGWorld();
    void FinishUsingGWorld();

    void EraseGWorldRect();

    void CopyWorldBits(Rect dst);
    void CopyWorldBits(Rect src, Rect dst);
    void CopyWorldBits(Rect dst, GrafPtr port);
    void CopyWorldBits(Rect src, Rect dst, GrafPtr port);

    // Re-allocates at a new size; the image becomes white.
    void UpdateGWorldFromRect(Rect newBounds);

private:
    void TakePixMap();
    void CopyToCurrentPort(const Rect& src, const Rect& dst);

    Rect bounds;
    int depth;
    int colorTableId;
    CTabHandle colorTable = nullptr;
    GWorldPtr gWorld = nullptr;
    PixMapHandle pixMap = nullptr;
    PixMapHandle srcPixMap = nullptr;
    int srcRowBytes = 0;

    static CGrafPtr sOldGW;
    static GDHandle sOldGD;
};
