// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The preset schedule (".spsq", versions 3 and 4: option lines, presets of tracks, a timeline
// of HH:MM:SS lines) and the structured form its converter writes (JSON, times in
// milliseconds) read into a session. The main frequency is the beat of the loudest binaural,
// monaural or isochronic track of each preset. Between timeline lines the frequency slides on
// the line's curve (steady, ease-in, ease-out, smooth; version 4's steps go back and forth),
// laid down as points placed where the curve bends, so that it never strays more than 0.5 % of
// the slide's swing; carriers and levels change in steps where a slide ends. Silence beside a
// preset fades it in or out at its own beat. Nothing is fetched: background sounds, preset
// lists and files a schedule extends are reported, not followed.

#include "exchange/Import.h"

#include <string>
#include <string_view>

// Converts a schedule's text, either form; name stands for the file in the messages and the
// header. A schedule that breaks the format's rules (times out of order, an unknown preset, a
// template on the timeline, too many presets or tracks) fails with EImportError naming the line.
TImported ImportSpsq(std::string_view text, const std::string& name);

// The share of a slide done at x (0..1) on a named curve; false for a name that is no curve.
bool SpsqCurve(std::string_view curve, double x, double& done);
