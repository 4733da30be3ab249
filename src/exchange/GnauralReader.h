// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The voice schedule (".gnaural": XML, a "schedule" of "voice"s, each a list of "entry"s with a
// duration, per-ear volumes, a beat and a base frequency) read into a session. Any value may
// come as an attribute or as a child element. Every entry ramps linearly over its duration to
// the next one's values, the last one back to the first's; an entry of no duration is a step;
// a voice shorter than the longest has its last entry stretched. The main frequency is the beat
// of the loudest binaural or isochronic voice (the one loudest over the whole schedule); its
// kind and base frequency become the tone keys, its volume the Volume knob, which changes
// halfway through a ramp, and the carrier where a ramp ends. What a session cannot hold (other
// voices, per-ear volumes, loops) is left out and reported with the line of its element.

#include "exchange/Import.h"

#include <string>
#include <string_view>

// Converts a schedule's text; name stands for the file in the messages and the header. A file
// that is no well-formed schedule, breaks its bounds (elements, nesting, voices, entries) or has
// no binaural or isochronic voice to follow fails with EImportError naming the line.
TImported ImportGnaural(std::string_view text, const std::string& name);
