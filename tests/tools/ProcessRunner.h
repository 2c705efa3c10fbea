// Runs zmctl as a child process with given standard input and collects its
// output and exit status.
#pragma once

#include <string>
#include <vector>

struct ProcessResult {
    std::string out;
    std::string err;
    int status = -1;  //!< exit status, or -1 when it did not exit normally
};

//! Runs the zmctl named by the ZMCTL environment variable with `args`.
ProcessResult RunZmctl(const std::vector<std::string>& args, const std::string& input = "");

//! A file in a fresh temporary directory, removed with the directory at exit.
std::string TempFile(const std::string& name, const std::string& contents);
