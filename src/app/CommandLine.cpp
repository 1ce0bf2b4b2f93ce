#include "app/CommandLine.h"

#include "ProgramVersion.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

struct QtOption {
    std::string_view name;
    bool takesValue;
};

// The options QGuiApplication and QApplication take themselves (with one dash or two, and the
// value after '=' or as the next argument). Anything else is a mistake of the caller's, which
// Qt would pass over without a word.
constexpr std::array kQtOptions{
    QtOption{"platform", true},      QtOption{"platformpluginpath", true},
    QtOption{"platformtheme", true}, QtOption{"plugin", true},
    QtOption{"qmljsdebugger", true}, QtOption{"qwindowgeometry", true},
    QtOption{"qwindowicon", true},   QtOption{"qwindowtitle", true},
    QtOption{"session", true},       QtOption{"display", true},
    QtOption{"geometry", true},      QtOption{"name", true},
    QtOption{"style", true},         QtOption{"stylesheet", true},
    QtOption{"reverse", false},      QtOption{"widgetcount", false},
    QtOption{"nograb", false},       QtOption{"dograb", false},
    QtOption{"sync", false},
};

}  // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-h" || arg == "--help") {
            line.m_action = Action::Help;
            return line;
        }
        if (arg == "-V" || arg == "--version") {
            line.m_action = Action::Version;
            return line;
        }
        if (arg.size() < 2 || arg[0] != '-') {
            line.m_action = Action::Refuse;
            line.m_problem = "unexpected argument: " + std::string(arg);
            return line;
        }
        std::string_view name = arg.substr(arg.starts_with("--") ? 2 : 1);
        const std::size_t equals = name.find('=');
        const bool valueAttached = equals != std::string_view::npos;
        name = name.substr(0, equals);
        const auto* option = std::find_if(kQtOptions.begin(), kQtOptions.end(),
                                          [name](const QtOption& o) { return o.name == name; });
        if (option == kQtOptions.end() || (valueAttached && !option->takesValue)) {
            line.m_action = Action::Refuse;
            line.m_problem = "unknown option: " + std::string(arg);
            return line;
        }
        if (option->takesValue && !valueAttached) {
            if (i + 1 >= args.size()) {
                line.m_action = Action::Refuse;
                line.m_problem = "missing value after " + std::string(arg);
                return line;
            }
            ++i;
        }
    }
    return line;
}

std::string CommandLine::helpText() {
    return std::string(
               "usage: velo [OPTION]...\n"
               "VELO ") +
           kProgramVersion +
           ", a client for a subscription live-television service.\n"
           "It reads its program folder (confignew.ini, codec/, skin/) beside its executable.\n"
           "\n"
           "  -h, --help         print this help and exit\n"
           "  -V, --version      print the version and exit\n"
           "\n"
           "Qt's own options are passed on to Qt: -platform NAME, -display DISPLAY,\n"
           "-style NAME, -stylesheet FILE, -reverse and the others of QApplication.\n";
}

std::string CommandLine::versionText() {
    return std::string("velo ") + kProgramVersion + "\n";
}
