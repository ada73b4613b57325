#include "update/app/upd_app.h"

int main(int argc, char** argv) {
    CUpdApp app(argc, argv);
    return app.Run();
}
