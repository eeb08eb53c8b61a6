#include "app/QtProgram.h"

// tavro-config: the configuration tool.
int main(int argc, char** argv) {
    return tavro::app::ProgramMain(argc, argv);
}
