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
    unsigned unicode = 0; ///< for VK_PACKET: the UTF-16 unit it carries as scan code
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
        // Alt is sent as VK_MENU; a low-level hook may see it so, or as the left Alt
        // key it stands for (Windows, and Wine from 10 on).
        const bool leftAlt = expected[i].virtualKey == VK_MENU && keys[i].virtualKey == VK_LMENU;
        checks.equal(leftAlt ? unsigned(VK_MENU) : keys[i].virtualKey, expected[i].virtualKey,
                     where + " virtual key");
        // Wine leaves LLKHF_UP off a Unicode release; its key-up message says it all.
        if (expected[i].virtualKey != VK_PACKET)
            checks.equal(keys[i].up, expected[i].up, where + " LLKHF_UP");
        checks.equal(keys[i].upTransition, expected[i].up, where + " key-up message");
        // Wine answers 0 for the keypad keys, so the system's own answer is the
        // reference, not a table of scan codes.
        if (expected[i].virtualKey == VK_PACKET)
            checks.equal(keys[i].scanCode, expected[i].unicode, where + " carries the character");
        else
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
                  [](platform::Keyboard &keyboard) { keyboard.type(U'\u25A0'); },
                  {{alt, false},
                   {VK_NUMPAD2, false},
                   {VK_NUMPAD2, true},
                   {VK_NUMPAD5, false},
                   {VK_NUMPAD5, true},
                   {VK_NUMPAD4, false},
                   {VK_NUMPAD4, true},
                   {alt, true}});

    checkSequence(checks, "Alt code 1",
                  [](platform::Keyboard &keyboard) { keyboard.type(U'\u263A'); },
                  {{alt, false}, {VK_NUMPAD1, false}, {VK_NUMPAD1, true}, {alt, true}});

    // An Alt code would give the system page's character, so a character the
    // system's page lacks goes as itself.
    checks.check(GetOEMCP() != 866, "the system's OEM code page is not 866");
    checkSequence(checks, "Cyrillic A, which the system page lacks",
                  [](platform::Keyboard &keyboard) { keyboard.type(U'\u0410'); },
                  {{VK_PACKET, false, 0x0410}, {VK_PACKET, true, 0x0410}});
    checkSequence(checks, "the system page's own code, as an Alt code",
                  [](platform::Keyboard &keyboard) { keyboard.type(U'\u00E9'); },
                  {{alt, false},
                   {VK_NUMPAD1, false},
                   {VK_NUMPAD1, true},
                   {VK_NUMPAD3, false},
                   {VK_NUMPAD3, true},
                   {VK_NUMPAD0, false},
                   {VK_NUMPAD0, true},
                   {alt, true}});

    checkSequence(checks, "Backspace",
                  [](platform::Keyboard &keyboard) { keyboard.typeBackspace(); },
                  {{VK_BACK, false}, {VK_BACK, true}});

    // What is no character sends nothing and says so; Backspace after it shows
    // that the hook was listening and that nothing came before it.
    checkSequence(checks, "not a character, then Backspace",
                  [](platform::Keyboard &keyboard) {
                      const bool sent = keyboard.type(0xD800) || keyboard.type(0x110000);
                      if (!sent && !keyboard.errorString().empty())
                          keyboard.typeBackspace();
                  },
                  {{VK_BACK, false}, {VK_BACK, true}});

    return checks.finish();
}
