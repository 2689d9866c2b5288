// SPDX-License-Identifier: GPL-3.0-or-later
#include "keycoderecord.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace platform::x11 {

namespace {

// X keycodes run from 8 to 255.
constexpr int firstKeycode = 8;
constexpr int lastKeycode = 255;

} // namespace

KeycodeRecord::KeycodeRecord(std::string path) : m_path(std::move(path)) {}

bool KeycodeRecord::add(int keycode, Keysym keysym)
{
    if (m_path.empty())
        return true;
    char line[48];
    const int length = std::snprintf(line, sizeof line, "%d %lx\n", keycode, keysym);
    // Only this user may read which characters were typed.
    const int file = ::open(m_path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (file < 0)
        return false;
    const bool written = ::write(file, line, static_cast<std::size_t>(length)) == length;
    return ::close(file) == 0 && written;
}

std::map<int, Keysym> KeycodeRecord::read() const
{
    std::map<int, Keysym> bindings;
    std::ifstream file(m_path);
    std::string text;
    while (std::getline(file, text)) {
        std::istringstream line(text);
        int keycode = 0;
        Keysym keysym = 0;
        if (line >> keycode >> std::hex >> keysym && keycode >= firstKeycode &&
            keycode <= lastKeycode && keysym != 0)
            bindings[keycode] = keysym;
    }
    return bindings;
}

void KeycodeRecord::clear()
{
    if (!m_path.empty())
        ::unlink(m_path.c_str());
}

} // namespace platform::x11
