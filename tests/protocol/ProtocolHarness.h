// Helpers for the protocol tests: hex literals, a recording transmitter and
// a decoder wired to its own rings and, through the presenters the main
// dialog uses, to a recording dialog.
#pragma once

#include "DecoderHarness.h"
#include "RecordingSender.h"

#include <cstring>
#include <sstream>
