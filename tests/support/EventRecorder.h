#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/FormEvents.h"

namespace tavro::test {

// A presenter stand-in for tests of forms themselves: writes every event down as one short
// line ("click 1011", "cell 1013 2 1") and lets a test answer the consumable ones.
class EventRecorder : public ui::FormEvents {
  public:
    std::vector<std::string> log;
    std::function<bool(ui::ControlId)> onMouseDown;
    std::function<void(ui::ControlId)> onFocusOut;
    std::function<bool(ui::ControlId, int)> onKey;
    std::function<bool(ui::ControlId, int)> onSpin;
    std::function<void(ui::ControlId)> onClicked;
    bool allowClose = true;
    bool recordMoves = true;

    void OnClicked(ui::ControlId id) override {
        Add("click", id);
        if (onClicked) {
            onClicked(id);
        }
    }
    void OnSelectionChanged(ui::ControlId id) override { Add("select", id); }
    void OnTextEdited(ui::ControlId id) override { Add("edit", id); }
    void OnFocusIn(ui::ControlId id) override { Add("in", id); }
    void OnFocusOut(ui::ControlId id) override {
        Add("out", id);
        if (onFocusOut) {
            onFocusOut(id);
        }
    }
    void OnListClick(ui::ControlId id, int row, int column) override {
        Add("cell", id, row, column);
    }
    void OnListRightClick(ui::ControlId id, int row, int column, ui::ScreenPoint) override {
        Add("right", id, row, column);
    }
    void OnListDoubleClick(ui::ControlId id, int row, int column) override {
        Add("double", id, row, column);
    }
    bool OnKeyDown(ui::ControlId id, int key, ui::KeyModifiers) override {
        Add("key", id, key);
        return onKey && onKey(id, key);
    }
    void OnMouseMove(ui::ControlId id) override {
        if (recordMoves) {
            Add("move", id);
        }
    }
    bool OnMouseDown(ui::ControlId id) override {
        Add("down", id);
        return onMouseDown && onMouseDown(id);
    }
    void OnMouseUp(ui::ControlId id) override { Add("up", id); }
    bool OnDoubleClick(ui::ControlId id) override {
        Add("dblclick", id);
        return false;
    }
    void OnSliderScrolled(ui::ControlId id, int position) override { Add("scroll", id, position); }
    bool OnSpinDelta(ui::ControlId id, int delta) override {
        Add("spin", id, delta);
        return onSpin && onSpin(id, delta);
    }
    bool OnCloseRequest() override {
        Add("close");
        return allowClose;
    }
    void OnSystemCommand(int command) override { Add("command", command); }

  private:
    template <typename... Args>
    void Add(const char* what, Args... args) {
        std::string line = what;
        ((line += " " + std::to_string(args)), ...);
        log.push_back(line);
    }
};

}  // namespace tavro::test
