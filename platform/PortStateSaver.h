// Saves the current port and a port's drawing state (pen, colours, text, clip) and
// puts both back when it goes out of scope, so that the toolbox can draw its menus and
// controls into a port without disturbing what the program set there. Internal to
// platform/.
#pragma once

#include "platform/QuickDraw.h"

class PortStateSaver {
public:
    // Makes port current for the saver's lifetime.
    explicit PortStateSaver(GrafPtr port) : previous_(CurrentPort()), port_(port) {
        if (port_ != nullptr) {
            pnLoc_ = port_->pnLoc;
            pnSize_ = port_->pnSize;
            pnPat_ = port_->pnPat;
            fgColor_ = port_->fgColor;
            bkColor_ = port_->bkColor;
            txSize_ = port_->txSize;
            txFace_ = port_->txFace;
            clipRect_ = port_->clipRect;
        }
        SetPort(port_);
    }
    ~PortStateSaver() {
        if (port_ != nullptr) {
            port_->pnLoc = pnLoc_;
            port_->pnSize = pnSize_;
            port_->pnPat = pnPat_;
            port_->fgColor = fgColor_;
            port_->bkColor = bkColor_;
            port_->txSize = txSize_;
            port_->txFace = txFace_;
            port_->clipRect = clipRect_;
        }
        SetPort(previous_);
    }
    PortStateSaver(const PortStateSaver&) = delete;
    PortStateSaver& operator=(const PortStateSaver&) = delete;

private:
    GrafPtr previous_;
    GrafPtr port_;
    Point pnLoc_;
    Point pnSize_;
    Pattern pnPat_{};
    RGBColor fgColor_;
    RGBColor bkColor_;
    int16_t txSize_ = 12;
    int16_t txFace_ = 0;
    Rect clipRect_;
};
