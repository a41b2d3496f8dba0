#include "platform/host/DesktopHost.h"

#include <utility>

#include "platform/host/SdlHost.h"

std::unique_ptr<Host> CreateDesktopHost(std::string& whyNot) { return SdlHost::Create(whyNot); }

void SetDesktopDisplayLostHandler(std::function<void()> handler) { SdlHost::SetDisplayLostHandler(std::move(handler)); }
