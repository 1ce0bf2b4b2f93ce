#include "app/CPlayerApp.h"
#include "app/CommandLine.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    const CommandLine line = CommandLine::parse({argv + (argc > 0 ? 1 : 0), argv + argc});
    switch (line.action()) {
        case CommandLine::Action::Help:
            std::fputs(CommandLine::helpText().c_str(), stdout);
            return 0;
        case CommandLine::Action::Version:
            std::fputs(CommandLine::versionText().c_str(), stdout);
            return 0;
        case CommandLine::Action::Refuse:
            std::fprintf(stderr, "velo: %s\nTry 'velo --help' for the options.\n",
                         line.problem().c_str());
            return 2;
        case CommandLine::Action::Run:
            break;
    }
    int code = 0;
    {
        CPlayerApp app(argc, argv);
        code = app.InitInstance();
        if (!app.finishExchanges()) {
            // An exchange outlived the wait at exit (a sign-out to a server that stalls). The
            // process ends here rather than free what that exchange may still be using.
            std::fflush(nullptr);
            std::_Exit(code);
        }
    }
    return code;
}
