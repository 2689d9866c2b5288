// SPDX-License-Identifier: GPL-3.0-or-later
#include "hooklibrarypaths.h"

#include <algorithm>

namespace platform::x11 {

std::vector<std::string> hookLibraryCandidates(const std::vector<std::string> &folders)
{
    std::vector<std::string> candidates;
    for (std::string folder : folders) {
        if (folder.empty() || folder.front() != '/')
            continue;
        while (folder.size() > 1 && folder.back() == '/')
            folder.pop_back();
        std::string path = folder == "/" ? folder : folder + '/';
        path += HookLibraryFileName;
        if (std::find(candidates.begin(), candidates.end(), path) == candidates.end())
            candidates.push_back(std::move(path));
    }
    return candidates;
}

} // namespace platform::x11
