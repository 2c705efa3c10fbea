// Checks of option values that word their refusals as people read them:
// the value as typed, the choices spelled out, no place holders.
#pragma once

#include <CLI/CLI.hpp>

#include <cstdint>
#include <string>
#include <vector>

//! Accepts one of `choices`; refuses anything else with "unknown WORD 'x'
//! (use a, b, c)". Help shows the choices as CLI11 shows a set.
CLI::Validator OneOf(const std::string& word, const std::vector<std::string>& choices);

//! Accepts a whole number in min..max (read as the option will read it);
//! refuses "value x is out of range min..max" or "'x' is not a number".
CLI::Validator WholeNumberIn(int64_t min, int64_t max);

//! CLI11's words for a parse error as people say them: "KIND: x" without
//! the place holder, "a parameter is required" for "PARAMETER is
//! required", "--in needs a value" for "--in: 1 required DEV missing".
std::string PlainParseMessage(const std::string& message);
