#include "JsonCheck.h"

#include "ProcessRunner.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

namespace {

constexpr const char* kPrelude = R"(import json, sys
def is_int(v): return type(v) is int
def ints(*v): return all(is_int(x) for x in v)
def is_str(v): return type(v) is str
def is_bool(v): return type(v) is bool
text = open(sys.argv[1], encoding='utf-8').read()
doc = [json.loads(l) for l in text.splitlines()] if sys.argv[2] == 'lines' else json.loads(text)
)";

} // namespace

::testing::AssertionResult JsonHolds(const std::string& text, const std::string& checks, bool lines)
{
    static int count = 0;
    const std::string tag = std::to_string(++count);
    const std::string document = TempFile("json-" + tag + ".json", text);
    const std::string program = TempFile("json-" + tag + ".py", kPrelude + checks + "\n");
    const std::string command = "python3 " + program + " " + document + (lines ? " lines" : " one") + " 2>&1";
    FILE* python = popen(command.c_str(), "r");
    if (python == nullptr)
        return ::testing::AssertionFailure() << "cannot run python3";
    std::string said;
    std::array<char, 4096> buffer;
    for (size_t n; (n = fread(buffer.data(), 1, buffer.size(), python)) > 0;)
        said.append(buffer.data(), n);
    const int status = pclose(python);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "python3 says:\n" << said << "about:\n" << text;
}
