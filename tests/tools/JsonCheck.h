// zmctl's JSON read back with a real JSON parser: python3's json module.
#pragma once

#include <gtest/gtest.h>

#include <string>

//! Parses `text` as one JSON document, or with `lines` as one document per
//! line (JSON Lines), and runs `checks` on it: Python statements (assert
//! ...) over `doc`, the document or the list of them. Helpers: is_int(v)
//! (an integer, not a bool), ints(*v), is_str(v), is_bool(v). A document
//! that does not parse, or a check that fails, fails with Python's words.
::testing::AssertionResult JsonHolds(const std::string& text, const std::string& checks, bool lines = false);
