// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

/// Makes every CharacterPanel readable by screen readers: the grid gets one button
/// child for each filled cell, named by its glyph, whose press action does what a
/// click does. The panel never has the focus, so this is how assistive technology
/// names and presses its cells. Safe to call more than once.
void installPanelAccessibility();
