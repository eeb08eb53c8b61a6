#include <QApplication>
#include <QDir>
#include <QIcon>
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include "app/preview/FormPreview.h"
#include "app/preview/PreviewOptions.h"

// tavro-form-preview: draws the program's forms offscreen into PNG files.
int main(int argc, char** argv) {
    std::vector<std::string_view> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    std::string error;
    const auto options = tavro::preview::ParsePreviewArgs(args, error);
    if (!options) {
        std::fprintf(stderr, "tavro-form-preview: %s\n%s", error.c_str(),
                     std::string(tavro::preview::PreviewUsage()).c_str());
        return 2;
    }
    if (options->help) {
        std::fputs(std::string(tavro::preview::PreviewUsage()).c_str(), stdout);
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/100.svg")));
    if (!QDir().mkpath(QString::fromStdString(options->outDir))) {
        std::fprintf(stderr, "tavro-form-preview: cannot create %s\n", options->outDir.c_str());
        return 1;
    }
    std::vector<std::string> errors;
    for (const QString& file : tavro::preview::RenderPreviews(*options, errors)) {
        std::printf("%s\n", qUtf8Printable(file));
    }
    for (const std::string& line : errors) {
        std::fprintf(stderr, "tavro-form-preview: %s\n", line.c_str());
    }
    return errors.empty() ? 0 : 1;
}
