#include "cli_run.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <string_view>

extern char** environ;

namespace zelvan::test {

Outcome run(const TempDir& dir, const std::vector<std::string>& args,
            const std::vector<std::string>& env, const std::string& input) {
    // The plain locale unless `env` names another: the tests of the texts as written must not
    // depend on the locale of whoever runs them.
    std::vector<std::string> given = env;
    for (const char* plain : {"LANGUAGE=", "LC_ALL=", "LC_MESSAGES=", "LANG=C"}) {
        const std::string_view name(plain, std::string_view(plain).find('=') + 1);
        const bool named = std::any_of(env.begin(), env.end(), [&](const std::string& v) {
            return v.compare(0, name.size(), name) == 0;
        });
        if (!named) given.emplace_back(plain);
    }
    std::vector<std::string> variables = given;
    for (char** e = environ; *e; ++e) {
        const std::string_view entry = *e;
        const bool replaced = std::any_of(given.begin(), given.end(), [&](const std::string& v) {
            return entry.substr(0, entry.find('=') + 1) == v.substr(0, v.find('=') + 1);
        });
        if (!replaced) variables.emplace_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& v : variables) envp.push_back(v.data());
    envp.push_back(nullptr);
    std::vector<std::string> all = {std::filesystem::path(ZELVAN_CLI_PATH).string()};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    const std::string outPath = (dir / "stdout").string();
    const std::string errPath = (dir / "stderr").string();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t pid = 0;
    Outcome result;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = readBytes(dir / "stdout");
    result.err = readBytes(dir / "stderr");
    return result;
}

}  // namespace zelvan::test
