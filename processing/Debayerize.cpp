#include "processing/Debayerize.h"

#include "image/GWorldWrapper.h"
#include "processing/DebayerSites.h"

GWorldWrapper* gDebayerTempGW = nullptr;

namespace {

// The scratch buffer for a frame of rectangle r, made on first use. The program's
// frames all have one size; a frame of another size (a camera with another source
// size) resizes the buffer rather than let the passes run past it.
GWorldWrapper& ScratchBufferFor(const Rect& r) {
    if (gDebayerTempGW == nullptr) {
        gDebayerTempGW = new GWorldWrapper(32, r, -1);
    } else if (gDebayerTempGW->GetDim() != r) {
        gDebayerTempGW->UpdateGWorldFromRect(r);
    }
    return *gDebayerTempGW;
}

// Every byte the passes do not write then reads 0 in the result.
void PaintBlack(GWorldWrapper& buffer, const Rect& r) {
    buffer.StartUsingGWorld();
    ForeColor(blackColor);
    PaintRect(&r);
    buffer.FinishUsingGWorld();
}

uint8_t* PixelMemory(GWorldWrapper& buffer) {
    return reinterpret_cast<uint8_t*>(GetPixBaseAddr(GetGWorldPixMap(buffer.GetGWorldPtr())));
}

}  // namespace

void DebayerizeImageFromGreenChannel(GWorldWrapper& frame, BayerColor pattern, DebayerAlg algorithm) {
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    const Rect r = frame.GetDim();
    GWorldWrapper& scratch = ScratchBufferFor(r);
    PaintBlack(scratch, r);

    PixMapHandle framePixels = GetGWorldPixMap(frame.GetGWorldPtr());
    PixMapHandle scratchPixels = GetGWorldPixMap(scratch.GetGWorldPtr());
    LockPixels(framePixels);
    LockPixels(scratchPixels);
    // Both buffers have the same rectangle and so the same row bytes.
    const int rowBytes = frame.GetSrcRowBytes();
    if (scratch.GetSrcRowBytes() == rowBytes) {
        Debayerize(PixelMemory(frame), PixelMemory(scratch), r.right, r.bottom, rowBytes, rowBytes - 4 * r.right,
                   pattern, algorithm);
    }
    UnlockPixels(scratchPixels);
    UnlockPixels(framePixels);
    SetGWorld(savedPort, savedDevice);

    scratch.CopyWorldBits(r, frame.GetGWorldPtr());
}

void Debayerize(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes, int rowRemainder,
                BayerColor pattern, DebayerAlg algorithm, PixelPath path) {
    switch (algorithm) {
        case kNearestNeighbor:
            DebayerizeNearestNeighbor(src, dst, width, height, rowBytes, rowRemainder, pattern, path);
            break;
        case kBilinear:
            DebayerizeBilinear(src, dst, width, height, rowBytes, rowRemainder, pattern, path);
            break;
        case kLaplacianSecondOrder:
            DebayerizeLinearInterpolationLaplacianSecondOrder(src, dst, width, height, rowBytes, rowRemainder, pattern,
                                                              path);
            break;
        default:  // an unknown method writes nothing: the result stays black
            break;
    }
}

void Debayerize(const unsigned char* src, unsigned char* dst, int width, int height, int rowBytes, int rowRemainder,
                BayerColor pattern, DebayerAlg algorithm) {
    Debayerize(src, dst, width, height, rowBytes, rowRemainder, pattern, algorithm, kDefaultPixelPath);
}
