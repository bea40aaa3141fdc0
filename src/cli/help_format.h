// The layout of `zelvan-cli --help-all`: every command with its arguments and options, laid out
// so that help2man turns it into the COMMANDS section of the manual page.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <utility>
#include <vector>

namespace zelvan::cli {

class HelpFormatter : public CLI::Formatter {
  public:
    // `commands`: every command's name and description (Globals::commands), which the list in
    // --help shows whether or not the command was added to the parser.
    explicit HelpFormatter(const std::vector<std::pair<std::string, std::string>>& commands)
        : commands_(commands) {
        translateLabels();
    }

    // With --help-all: "Commands:", then one block per command (see make_expanded). With --help:
    // "Subcommands:", then a line per command with its description.
    std::string make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const override;
    // The usage line, with the SUBCOMMAND marker also when no command was added to the parser.
    std::string make_usage(const CLI::App* app, std::string name) const override;
    // "NAME ARG [ARG] [OPTIONS]:", an indented line with the description and what each
    // argument is, then the command's options as option lines.
    std::string make_expanded(const CLI::App* sub) const override;

  private:
    // The parser's own words (Usage, OPTIONS, ...) in the language of the run. The names of
    // values (TEXT, INT) and REQUIRED stay: the parser lines the columns up by bytes, not by
    // the width of Chinese characters.
    void translateLabels();

    const std::vector<std::pair<std::string, std::string>>& commands_;
};

}  // namespace zelvan::cli
