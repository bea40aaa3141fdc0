// Running zelvan-cli from a test: exit code, stdout and stderr of one run.
#pragma once

#include <string>
#include <vector>

#include "test_files.h"

namespace zelvan::test {

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the tool with `args`, stdout and stderr into files of `dir`, stdin from the file
// `input`. `env` ("NAME=value") is added to the environment, replacing a variable of the same
// name; the locale is C (LANG=C, and no LANGUAGE, LC_ALL or LC_MESSAGES) unless `env` sets it.
Outcome run(const TempDir& dir, const std::vector<std::string>& args,
            const std::vector<std::string>& env = {}, const std::string& input = "/dev/null");

}  // namespace zelvan::test
