#include "cli/help_format.h"

#include <sstream>
#include <vector>

#include "cli/language.h"
#include "cli/text_table.h"
#include "db/text.h"

namespace zelvan::cli {
namespace {

// "Departure station" -> "departure station"; a name in capitals stays as it is.
std::string sentencePart(std::string text) {
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z') {
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    }
    return text;
}

// `text` broken at spaces into lines of at most 80 columns, each indented by two (a Chinese
// character takes two; a text without spaces stays one line).
std::string wrapped(const std::string& text) {
    std::istringstream words(text);
    std::string word, line, out;
    int width = 0;
    while (words >> word) {
        const int wordWidth = displayWidth(fromUtf8(word));
        if (!line.empty() && width + 1 + wordWidth > 78) {
            out += "  " + line + "\n";
            line.clear();
        }
        width = line.empty() ? wordWidth : width + 1 + wordWidth;
        line += (line.empty() ? "" : " ") + word;
    }
    if (!line.empty()) out += "  " + line + "\n";
    return out;
}

}  // namespace

void HelpFormatter::translateLabels() {
    label("Usage", tr("Usage"));
    label("OPTIONS", tr("OPTIONS"));
    label("SUBCOMMAND", tr("SUBCOMMAND"));
    label("SUBCOMMANDS", tr("SUBCOMMANDS"));
    label("Positionals", tr("Positionals"));
}

std::string HelpFormatter::make_subcommands(const CLI::App* app, CLI::AppFormatMode mode) const {
    if (mode == CLI::AppFormatMode::Normal && app->get_parent() == nullptr) {
        // The parser's own layout: the name indented by two in a column, then the description.
        const std::size_t width = get_column_width();
        std::string out = commands_.empty() ? "" : "\n" + std::string(tr("Subcommands:")) + "\n";
        for (const auto& [name, description] : commands_) {
            std::string line = "  " + name;
            if (line.size() < width) {
                line.append(width - line.size(), ' ');
            } else if (!description.empty()) {
                line += "\n" + std::string(width, ' ');
            }
            for (const char c : description) {
                line += c;
                if (c == '\n') line.append(width, ' ');
            }
            out += line + "\n";
        }
        return out;
    }
    if (mode != CLI::AppFormatMode::All) return CLI::Formatter::make_subcommands(app, mode);
    std::ostringstream out;
    // A line of its own, then a blank line: help2man starts a section there.
    out << "\n" << tr("Commands:") << "\n\n";
    for (const CLI::App* sub : app->get_subcommands({})) {
        if (!sub->get_name().empty()) out << make_expanded(sub) << "\n";
    }
    return out.str();
}

std::string HelpFormatter::make_usage(const CLI::App* app, std::string name) const {
    std::string usage = CLI::Formatter::make_usage(app, std::move(name));
    const bool marked = !app->get_subcommands([](const CLI::App* sub) {
                                return !sub->get_disabled() && !sub->get_name().empty();
                            })
                             .empty();
    if (app->get_parent() != nullptr || marked || commands_.empty() || usage.empty()) return usage;
    const bool optional = app->get_require_subcommand_min() == 0;
    const bool one = app->get_require_subcommand_max() < 2 || app->get_require_subcommand_min() > 1;
    usage.insert(usage.size() - 1, std::string(" ") + (optional ? "[" : "") +
                                       get_label(one ? "SUBCOMMAND" : "SUBCOMMANDS") +
                                       (optional ? "]" : ""));
    return usage;
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
    if (!options.empty()) out << " [" << get_label("OPTIONS") << "]";
    std::string text = fill(tr("%s."), {sub->get_description()});
    for (const CLI::Option* opt : positionals) {
        text += ' ' + fill(tr("%s: %s."),
                           {opt->get_name(true, false), sentencePart(opt->get_description())});
    }
    out << ":\n" << wrapped(text);
    if (!options.empty()) {
        out << '\n';
        for (const CLI::Option* opt : options) out << make_option(opt, false);
    }
    return out.str();
}

}  // namespace zelvan::cli
