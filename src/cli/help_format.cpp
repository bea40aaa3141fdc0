#include "cli/help_format.h"

#include <sstream>
#include <vector>

namespace zelvan::cli {
namespace {

// "Departure station" -> "departure station"; a name in capitals stays as it is.
std::string sentencePart(std::string text) {
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}

// `text` broken at spaces into lines of at most 80 columns, each indented by two.
std::string wrapped(const std::string& text) {
    std::istringstream words(text);
    std::string word, line, out;
    while (words >> word) {
        if (!line.empty() && line.size() + 1 + word.size() > 78) {
            out += "  " + line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) out += "  " + line + "\n";
    return out;
}

}  // namespace

std::string HelpFormatter::make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const {
    if (mode != CLI::AppFormatMode::All) return CLI::Formatter::make_subcommands(app, mode);
    std::ostringstream out;
    // A line of its own, then a blank line: help2man starts a section there.
    out << "\nCommands:\n\n";
    for (const CLI::App* sub : app->get_subcommands({})) {
        if (!sub->get_name().empty()) out << make_expanded(sub) << "\n";
    }
    return out.str();
}

std::string HelpFormatter::make_expanded(const CLI::App* sub) const {
    const std::vector<const CLI::Option*> positionals =
        sub->get_options([](const CLI::Option* opt) { return opt->get_positional(); });
    const std::vector<const CLI::Option*> options = sub->get_options([sub](const CLI::Option* opt) {
        return !opt->get_positional() && opt != sub->get_help_ptr() &&
               opt != sub->get_help_all_ptr();
    });

    std::ostringstream out;
    out << sub->get_name();
    for (const CLI::Option* opt : positionals) {
        const std::string name = opt->get_name(true, false);
        out << ' ' << (opt->get_required() ? name : "[" + name + "]");
    }
    if (!options.empty()) out << " [OPTIONS]";
    std::string text = sub->get_description() + '.';
    for (const CLI::Option* opt : positionals) {
        text +=
            ' ' + opt->get_name(true, false) + ": " + sentencePart(opt->get_description()) + '.';
    }
    out << ":\n" << wrapped(text);
    if (!options.empty()) {
        out << '\n';
        for (const CLI::Option* opt : options) out << make_option(opt, false);
    }
    return out.str();
}

}  // namespace zelvan::cli
