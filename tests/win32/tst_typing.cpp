// SPDX-License-Identifier: GPL-3.0-or-later
// The panel's key sequences, sent through the Windows keyboard: a low-level hook
// must see exactly the keys, releases and scan codes that the panel means to send.

#include "check.h"
#include "keyrecorder.h"
#include "panel/altkeys.h"
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
    checkSequence(
        checks, "Alt code 254",
        [](platform::Keyboard &keyboard) { alttyping::typeAltCodeDigits(keyboard, "254"); },
        {{alt, false},
         {VK_NUMPAD2, false},
         {VK_NUMPAD2, true},
         {VK_NUMPAD5, false},
         {VK_NUMPAD5, true},
         {VK_NUMPAD4, false},
         {VK_NUMPAD4, true},
         {alt, true}});

    checkSequence(checks, "Alt code 1",
                  [](platform::Keyboard &keyboard) { alttyping::typeAltCodeDigits(keyboard, "1"); },
                  {{alt, false}, {VK_NUMPAD1, false}, {VK_NUMPAD1, true}, {alt, true}});

    checkSequence(checks, "Backspace",
                  [](platform::Keyboard &keyboard) { alttyping::typeBackspace(keyboard); },
                  {{VK_BACK, false}, {VK_BACK, true}});

    // A link that is no code sends nothing; Backspace after it shows that the hook
    // was listening and that nothing came before it.
    checkSequence(checks, "not a code, then Backspace",
                  [](platform::Keyboard &keyboard) {
                      alttyping::typeAltCodeDigits(keyboard, "2x4");
                      alttyping::typeAltCodeDigits(keyboard, "");
                      alttyping::typeBackspace(keyboard);
                  },
                  {{VK_BACK, false}, {VK_BACK, true}});

    // The keyboard's own scan codes are the system's.
    platform::win32::Win32Keyboard keyboard;
    for (const unsigned key : {unsigned(VK_MENU), unsigned(VK_BACK), unsigned(VK_NUMPAD0),
                               unsigned(VK_NUMPAD9), unsigned('A')})
        checks.equal(keyboard.scanCode(key), MapVirtualKeyW(key, MAPVK_VK_TO_VSC),
                     "scan code of virtual key " + std::to_string(key));
    checks.check(keyboard.scanCode(VK_BACK) != 0, "Backspace has a scan code");

    return checks.finish();
}
