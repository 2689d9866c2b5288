// SPDX-License-Identifier: GPL-3.0-or-later
// Compiles on Linux but not for Windows: the Windows compile check must reject it,
// or it proves nothing.
#include <unistd.h>

#include <climits>

int executableFolderLength()
{
    char path[PATH_MAX];
    return static_cast<int>(::readlink("/proc/self/exe", path, sizeof path));
}
