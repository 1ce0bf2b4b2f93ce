#pragma once

#include <string>
#include <vector>

// What the client's command line asks for. It is read before the application object exists, so
// that the help and the version need neither a display nor a window; Qt's own options pass on.
class CommandLine {
public:
    enum class Action { Run, Help, Version, Refuse };

    static CommandLine parse(const std::vector<std::string>& args);

    Action action() const { return m_action; }
    // For Refuse: what was wrong, one line.
    const std::string& problem() const { return m_problem; }

    static std::string helpText();
    static std::string versionText();

private:
    Action m_action = Action::Run;
    std::string m_problem;
};
