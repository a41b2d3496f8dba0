#include "platform/host/DesktopHost.h"

#include "platform/host/SdlHost.h"

std::unique_ptr<Host> CreateDesktopHost(std::string& whyNot) { return SdlHost::Create(whyNot); }
