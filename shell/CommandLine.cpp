#include "shell/CommandLine.h"

#include <string_view>

#include "BuildVersion.h"

namespace tavro {

namespace {

struct HelpText {
    Language language;
    std::string_view text;
};

// Written so that help2man can make the manual page from the English text.
constexpr HelpText kHelp[] = {
    {Language::kEnglish,
     R"(Usage: tavro-config [OPTION]...
Configures and tests a Tavro Motor actuator through its controller on a serial
line.

Options:
  -h, --help     show this help and exit
      --version  show the version and exit

Without these options the window opens; the toolkit's own options (such as
-platform and -style) are passed on to Qt. Only one copy runs at a time: a
second one ends at once without a word. The texts are Japanese when the first
of LC_ALL, LC_MESSAGES and LANG that is set starts with "ja".

Files:
  $XDG_CONFIG_HOME/Zelm/MOTOR-PID.ini
                 connection settings: the port and line speed used last,
                 automatic connection and the ID search range (default
                 folder: ~/.config/Zelm)
  $XDG_CONFIG_HOME/Zelm/PID.ini
                 PID defaults, optional, read at start

Serial port permission:
  Serial devices usually belong to the group dialout. When a port cannot be
  opened because permission is denied, join that group, then log out and in
  again:

    sudo usermod -aG dialout $USER

To try the tool without hardware, start the simulated controller first:

    tavro-sim --id 1,3 --byte-timing
)"},
    {Language::kJapanese,
     R"(使い方：tavro-config [オプション]...
シリアル回線でつないだコントローラを通して、Tavro Motor アクチュエータの
設定とテストを行います。

オプション：
  -h, --help     このヘルプを表示して終了します
      --version  バージョンを表示して終了します

これらのオプションがなければウィンドウを開きます。ツールキットのオプション
（-platform、-style など）は Qt に渡されます。同時に起動できるのは1つだけで、
2つ目は何も表示せずにすぐ終了します。LC_ALL、LC_MESSAGES、LANG のうち最初に
設定されているものが「ja」で始まるとき、表示は日本語になります。

ファイル：
  $XDG_CONFIG_HOME/Zelm/MOTOR-PID.ini
                 通信設定：最後に使用したポートと通信速度、自動接続、
                 コントローラIDの検索範囲（既定のフォルダ：~/.config/Zelm）
  $XDG_CONFIG_HOME/Zelm/PID.ini
                 PIDの初期値（任意）。起動時に読み込みます

シリアルポートのアクセス権：
  シリアルデバイスは通常 dialout グループに属しています。アクセス権がない
  ためにポートを開けない場合は、このグループに参加してから、ログインし直して
  ください：

    sudo usermod -aG dialout $USER

ハードウェアなしで試すには、先にシミュレーションのコントローラを起動して
ください：

    tavro-sim --id 1,3 --byte-timing
)"},
};

std::string Help(Language language) {
    for (const HelpText& h : kHelp) {
        if (h.language == language) {
            return std::string(h.text);
        }
    }
    return std::string(kHelp[0].text);
}

std::string Version() {
    return "tavro-config " + std::to_string(build::kVersionMajor) + "." +
           std::to_string(build::kVersionMinor) + "." + std::to_string(build::kVersionPatch) + "\n";
}

}  // namespace

std::optional<std::string> CommandLineText(std::span<const std::string> args, Language language) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            return Help(language);
        }
        if (arg == "--version") {
            return Version();
        }
    }
    return std::nullopt;
}

}  // namespace tavro
