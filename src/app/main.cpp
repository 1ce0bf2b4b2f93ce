#include "app/CPlayerApp.h"

int main(int argc, char* argv[]) {
    CPlayerApp app(argc, argv);
    return app.InitInstance();
}
