#include "link/ParameterImage.h"

namespace tavro {

namespace {

struct InitialCell {
    int group;
    int parameter;
    float value;
};

// Cells whose start value is not 0, in both copies.
constexpr InitialCell kInitialCells[] = {
    {0, 3, 1.0F},  {0, 12, 1.0F}, {0, 13, 1.0F}, {0, 14, 1.0F},   {0, 15, 1.0F},
    {0, 16, 1.0F}, {0, 22, 3.0F}, {1, 13, 0.1F}, {1, 14, 0.001F}, {1, 15, 0.0001F},
};

// Kp, Ti, Td of every PID set start at these values.
constexpr float kPidStart[3] = {0.1F, 0.001F, 0.0001F};
constexpr int kPidSets = 15;
constexpr int kFirstPidCell = 12;

// Per step: operation word (positioning, pushing speed 6), thrust setting, in-force level.
constexpr InitialCell kStepInitialCells[] = {{0, 5, 6.0F}, {0, 6, 1.0F}, {0, 9, 0.7F}};
constexpr int kSteps = 15;

}  // namespace

ParameterImage::ParameterImage() {
    auto set = [this](int g, int p, float v) {
        Cell& c = Get(g, p);
        c[0] = v;
        c[1] = v;
    };
    for (const auto& c : kInitialCells) {
        set(c.group, c.parameter, c.value);
    }
    for (int k = 0; k < kPidSets; ++k) {
        for (int i = 0; i < 3; ++i) {
            set(2, kFirstPidCell + 3 * k + i, kPidStart[i]);
        }
    }
    for (int s = 0; s < kSteps; ++s) {
        for (const auto& c : kStepInitialCells) {
            set(kFirstStepGroup + s, c.parameter, c.value);
        }
    }
}

int ParameterImage::ResolveGroup(int group) {
    if (group == kJogAliasGroup) {
        return kJogGroup;
    }
    if (group < 0 || group >= kGroupCount) {
        return -1;
    }
    return group;
}

int ParameterImage::CellCount(int group) {
    const int g = ResolveGroup(group);
    return g < 0 ? 0 : kCellsPerGroup[static_cast<std::size_t>(g)];
}

bool ParameterImage::IsValid(int group, int parameter) {
    return parameter >= 0 && parameter < CellCount(group);
}

ParameterImage::Cell& ParameterImage::Get(int group, int parameter) {
    if (!IsValid(group, parameter)) {
        scratch_ = Cell{};
        return scratch_;
    }
    return cells_[static_cast<std::size_t>(ResolveGroup(group))]
                 [static_cast<std::size_t>(parameter)];
}

float ParameterImage::GetCell(int group, int parameter, int copy) {
    return Get(group, parameter)[copy == 0 ? 0 : 1];
}

void ParameterImage::SetCell(int group, int parameter, float value, int copy) {
    Cell& c = Get(group, parameter);
    if (copy == kControllerCopy) {
        c[0] = value;
        return;
    }
    Knowledge* k = KnowledgeOf(group, parameter);
    if (k != nullptr && (c[1] != value || k->edit == CellOrigin::kUnknown)) {
        k->edit = CellOrigin::kUser;
    }
    c[1] = value;
}

bool ParameterImage::IsModified(int group, int parameter) {
    const Cell& c = Get(group, parameter);
    return c[0] != c[1];
}

ParameterImage::Knowledge* ParameterImage::KnowledgeOf(int group, int parameter) {
    if (!IsValid(group, parameter)) {
        return nullptr;
    }
    return &knowledge_[static_cast<std::size_t>(ResolveGroup(group))]
                      [static_cast<std::size_t>(parameter)];
}

CellOrigin ParameterImage::Origin(int group, int parameter) const {
    if (!IsValid(group, parameter)) {
        return CellOrigin::kUnknown;
    }
    return knowledge_[static_cast<std::size_t>(ResolveGroup(group))]
                     [static_cast<std::size_t>(parameter)]
                         .edit;
}

bool ParameterImage::ControllerRead(int group, int parameter) const {
    if (!IsValid(group, parameter)) {
        return false;
    }
    return knowledge_[static_cast<std::size_t>(ResolveGroup(group))]
                     [static_cast<std::size_t>(parameter)]
                         .controllerRead;
}

void ParameterImage::StoreRead(int group, int parameter, float value) {
    Cell& c = Get(group, parameter);
    c[0] = value;
    c[1] = value;
    if (Knowledge* k = KnowledgeOf(group, parameter)) {
        *k = {CellOrigin::kController, true};
    }
}

void ParameterImage::Acknowledge(int group, int parameter) {
    Cell& c = Get(group, parameter);
    c[0] = c[1];
    if (Knowledge* k = KnowledgeOf(group, parameter)) {
        *k = {CellOrigin::kController, true};
    }
}

void ParameterImage::SetDefault(int group, int parameter, float value) {
    Get(group, parameter)[1] = value;
    if (Knowledge* k = KnowledgeOf(group, parameter)) {
        k->edit = CellOrigin::kDefault;
    }
}

void ParameterImage::Discard(int group, int parameter) {
    Cell& c = Get(group, parameter);
    c[1] = c[0];
    if (Knowledge* k = KnowledgeOf(group, parameter)) {
        k->edit = k->controllerRead ? CellOrigin::kController : CellOrigin::kUnknown;
    }
}

void ParameterImage::DiscardAll() {
    for (int g = 0; g < kGroupCount; ++g) {
        for (int p = 0; p < CellCount(g); ++p) {
            Discard(g, p);
        }
    }
}

void ParameterImage::ForgetController() {
    for (GroupKnowledge& group : knowledge_) {
        for (Knowledge& k : group) {
            k.controllerRead = false;
            if (k.edit == CellOrigin::kController) {
                k.edit = CellOrigin::kUnknown;
            }
        }
    }
}

}  // namespace tavro
