#pragma once

#include <array>
#include <cstddef>

namespace tavro {

// The tool's copy of every controller parameter g/p: per cell the controller copy [0] (last
// read from or acknowledged by the controller) and the edit copy [1] (what the views collected).
class ParameterImage {
  public:
    using Cell = std::array<float, 2>;
    static constexpr int kControllerCopy = 0;
    static constexpr int kEditCopy = 1;
    static constexpr int kGroupCount = 22;  // 0..21; 22 is accepted as another name of 18
    static constexpr int kMaxCells = 57;
    static constexpr int kFirstStepGroup = 3;
    static constexpr int kJogGroup = 18;
    static constexpr int kJogAliasGroup = 22;

    // Cells kept per group.
    static constexpr std::array<int, kGroupCount> kCellsPerGroup = {
        25, 18, 57,                                                  // basic, origin, servo
        16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16,  // steps 1..15
        16, 16, 16, 16,                                              // jog and inching steps
    };

    // Fills the initial contents.
    ParameterImage();

    // Group 22 maps to 18; anything outside the groups gives -1.
    static int ResolveGroup(int group);
    static bool IsValid(int group, int parameter);
    static int CellCount(int group);

    // An address outside the groups reaches a scratch cell that is zeroed on every access,
    // so a stray address can neither crash nor leave a value behind.
    Cell& Get(int group, int parameter);

    float GetCell(int group, int parameter, int copy);
    void SetCell(int group, int parameter, float value, int copy);
    bool IsModified(int group, int parameter);

  private:
    std::array<std::array<Cell, kMaxCells>, kGroupCount> cells_{};
    Cell scratch_{};
};

}  // namespace tavro
