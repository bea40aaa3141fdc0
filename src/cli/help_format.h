// The layout of `zelvan-cli --help-all`: every command with its arguments and options, laid out
// so that help2man turns it into the COMMANDS section of the manual page.
#pragma once

#include <CLI/CLI.hpp>
#include <string>

namespace zelvan::cli {

class HelpFormatter : public CLI::Formatter {
  public:
    // With --help-all: "Commands:", then one block per command (see make_expanded).
    std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override;
    // "NAME ARG [ARG] [OPTIONS]:", an indented line with the description and what each
    // argument is, then the command's options as option lines.
    std::string make_expanded(const CLI::App* sub) const override;
};

}  // namespace zelvan::cli
