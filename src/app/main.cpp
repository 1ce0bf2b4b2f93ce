#include "app/CPlayerApp.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
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
