#include <cstdio>
#include <string>
#include <vector>

#include "app/QtProgram.h"
#include "shell/CommandLine.h"
#include "ui/Language.h"

// tavro-config: the configuration tool.
int main(int argc, char** argv) {
    // --help and --version answer before the toolkit starts: no display, no instance lock.
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (const auto text = tavro::CommandLineText(
            args, tavro::UiLanguage(tavro::LocaleEnvironment::FromProcess()))) {
        const bool written = std::fputs(text->c_str(), stdout) >= 0 && std::fflush(stdout) == 0;
        return written ? 0 : 1;
    }
    return tavro::app::ProgramMain(argc, argv);
}
