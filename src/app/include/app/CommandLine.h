// The two automation options of the command line.
#pragma once

#include <string>
#include <vector>

struct AutomationOptions {
    bool embedding = false;    //!< "Embedding": started to serve an embedding client
    bool automation = false;   //!< "Automation": started to serve an automation client
    bool Any() const { return embedding || automation; }
};

//! Finds "Embedding" and "Automation", each an argument of its own written
//! right after "-" or "/", compared case-sensitively ("-automation" is not
//! an option), and removes every recognised one from `args`. args[0] is the
//! program and is never taken for an option.
AutomationOptions ParseAutomationOptions(std::vector<std::string>& args);
