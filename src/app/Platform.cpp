#include "app/Platform.h"

namespace {
Platform* g_platform = nullptr;
} // namespace

Platform& CurrentPlatform()
{
    return g_platform ? *g_platform : NativePlatform();
}

void SetCurrentPlatform(Platform* platform)
{
    g_platform = platform;
}
