// SPDX-License-Identifier: GPL-3.0-or-later
// What the Windows keyboard sends for a character and for Backspace: a low-level hook
// must see exactly the Alt code's keys, releases and scan codes.

#include "check.h"
#include "keyrecorder.h"
#include "platform/win32/win32keyboard.h"

#include <string>
#include <vector>

namespace {

struct ExpectedKey
{
    unsigned virtualKey;
    bool up;
};

std::string describe(const ExpectedKey &key)
{
    return "key " + std::to_string(key.virtualKey) + (key.up ? " up" : " down");
}

/// Types one sequence with the panel's own logic and compares what the hook saw.
void checkSequence(wintest::Checks &checks, const std::string &name,
                   void (*type)(platform::Keyboard &), const std::vector<ExpectedKey> &expected)
{
    wintest::KeyRecorder recorder;
    if (!checks.check(recorder.isInstalled(), name + ": the test's hook is installed"))
        return;
    wintest::MessageWindow window;
    platform::win32::Win32Keyboard keyboard;
    type(keyboard);
    const auto ignore = [](const MSG &) {};
    const bool arrived = wintest::settle(recorder, expected.size(), window.handle(), ignore);
    checks.check(arrived, name + ": the hook saw at least " + std::to_string(expected.size()) +
                              " key events");
    const auto &keys = recorder.keys();
    checks.equal(keys.size(), expected.size(), name + ": number of key events");
    for (std::size_t i = 0; i < keys.size() && i < expected.size(); ++i) {
        const std::string where =
            name + ": event " + std::to_string(i) + " (" + describe(expected[i]) + ")";
        checks.equal(keys[i].virtualKey, expected[i].virtualKey, where + " virtual key");
        checks.equal(keys[i].up, expected[i].up, where + " LLKHF_UP");
        checks.equal(keys[i].upTransition, expected[i].up, where + " key-up message");
        // Wine answers 0 for the keypad keys, so the system's own answer is the
        // reference, not a table of scan codes.
        checks.equal(keys[i].scanCode, MapVirtualKeyW(expected[i].virtualKey, MAPVK_VK_TO_VSC),
                     where + " scan code is MapVirtualKeyW's");
    }
}

} // namespace

int main()
{
    wintest::Checks checks;

    constexpr unsigned alt = VK_MENU;
    checkSequence(checks, "Alt code 254",
                  [](platform::Keyboard &keyboard) { keyboard.typeCharacter(437, 254, U'\u25A0'); },
                  {{alt, false},
                   {VK_NUMPAD2, false},
                   {VK_NUMPAD2, true},
                   {VK_NUMPAD5, false},
                   {VK_NUMPAD5, true},
                   {VK_NUMPAD4, false},
                   {VK_NUMPAD4, true},
                   {alt, true}});

    checkSequence(checks, "Alt code 1",
                  [](platform::Keyboard &keyboard) { keyboard.typeCharacter(437, 1, U'\u263A'); },
                  {{alt, false}, {VK_NUMPAD1, false}, {VK_NUMPAD1, true}, {alt, true}});

    checkSequence(checks, "Backspace",
                  [](platform::Keyboard &keyboard) { keyboard.typeBackspace(); },
                  {{VK_BACK, false}, {VK_BACK, true}});

    // A code that is no Alt code sends nothing and says so; Backspace after it shows
    // that the hook was listening and that nothing came before it.
    checkSequence(checks, "not a code, then Backspace",
                  [](platform::Keyboard &keyboard) {
                      const bool sent = keyboard.typeCharacter(437, 256, U'A') ||
                                        keyboard.typeCharacter(437, 0, U'A');
                      if (!sent && !keyboard.errorString().empty())
                          keyboard.typeBackspace();
                  },
                  {{VK_BACK, false}, {VK_BACK, true}});

    return checks.finish();
}
