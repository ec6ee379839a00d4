#include "app/FileModes.h"

#include "app/Platform.h"

namespace FileModes {
int SetCreationMask(int mask)
{
    return CurrentPlatform().SetCreationMask(mask);
}

void RestrictNewFiles()
{
    SetCreationMask(077);
}

bool MakePrivate(const QString& path)
{
    return CurrentPlatform().SetAccess(path, Platform::FileAccess::OwnerOnly);
}

bool ShareWithGroup(const QString& path)
{
    return CurrentPlatform().SetAccess(path, Platform::FileAccess::OwnerAndGroup);
}

int Mode(const QString& path)
{
    return CurrentPlatform().AccessBits(path);
}
} // namespace FileModes
