#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace tavro {

// Where a cell's edit copy came from. A download writes only what is known.
enum class CellOrigin : std::uint8_t {
    kUnknown,     // a start value: neither read from the controller nor known
    kController,  // read from, or acknowledged by, the controller in this connection
    kDefault,     // a known default: the PID defaults, the series defaults
    kUser,        // edited: typed, chosen, or taken from a file
};

// The tool's copy of every controller parameter g/p: per cell the controller copy [0] (last
// read from or acknowledged by the controller) and the edit copy [1] (what the views collected),
// and where the edit copy came from.
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
    // Setting the edit copy is an edit, unless it already holds that value and knows where
    // it came from. The controller copy keeps its origin.
    void SetCell(int group, int parameter, float value, int copy);
    bool IsModified(int group, int parameter);

    CellOrigin Origin(int group, int parameter) const;
    bool IsKnown(int group, int parameter) const {
        return Origin(group, parameter) != CellOrigin::kUnknown;
    }
    // The controller copy was read from, or acknowledged by, the controller in this connection.
    bool ControllerRead(int group, int parameter) const;
    // What the controller answered: both copies.
    void StoreRead(int group, int parameter, float value);
    // The controller acknowledged the write of the edit copy.
    void Acknowledge(int group, int parameter);
    // A known default into the edit copy.
    void SetDefault(int group, int parameter, float value);
    // The edit copy becomes the controller copy again, exactly.
    void Discard(int group, int parameter);
    void DiscardAll();
    // Another connection: what was read before is no longer known to be the controller's.
    void ForgetController();

  private:
    struct Knowledge {
        CellOrigin edit = CellOrigin::kUnknown;
        bool controllerRead = false;
    };
    using GroupKnowledge = std::array<Knowledge, kMaxCells>;

    // nullptr outside the groups.
    Knowledge* KnowledgeOf(int group, int parameter);

    std::array<std::array<Cell, kMaxCells>, kGroupCount> cells_{};
    std::array<GroupKnowledge, kGroupCount> knowledge_{};
    Cell scratch_{};
};

}  // namespace tavro
