// lumivex: the desktop application.
#include "app/ui/application.h"

int main(int argc, char** argv) {
    return lumivex::RunApplication(argc, argv);
}
