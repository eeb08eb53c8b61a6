#include "tests/support/UiFile.h"

#include <charconv>
#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>
#include <utility>

namespace tavro::test {

namespace {

constexpr std::size_t kMaxFileBytes = 8u << 20;
constexpr int kMaxDepth = 200;
constexpr int kMaxControlId = 65535;

// A flat element tree: children are indices, so neither building nor dropping a deep
// document recurses.
struct Element {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<std::size_t> children;
    std::string text;

    const std::string* Attribute(std::string_view key) const {
        for (const auto& [k, v] : attributes) {
            if (k == key) {
                return &v;
            }
        }
        return nullptr;
    }
};

class XmlReader {
  public:
    explicit XmlReader(std::string_view xml) : in_(xml) {}

    // Fills `elements` with the root at index 0.
    bool Read(std::vector<Element>& elements, std::string& error) {
        std::vector<std::size_t> open;
        while (pos_ < in_.size()) {
            if (in_[pos_] != '<') {
                std::string text;
                if (!ReadText(text, error)) {
                    return false;
                }
                if (open.empty()) {
                    if (text.find_first_not_of(" \t\r\n") != std::string::npos) {
                        return Fail(error, "text outside the root element");
                    }
                } else {
                    elements[open.back()].text += text;
                }
                continue;
            }
            if (Starts("<?")) {
                if (!SkipPast("?>")) {
                    return Fail(error, "unterminated processing instruction");
                }
            } else if (Starts("<!--")) {
                if (!SkipPast("-->")) {
                    return Fail(error, "unterminated comment");
                }
            } else if (Starts("<![CDATA[")) {
                const auto end = in_.find("]]>", pos_);
                if (end == std::string_view::npos || open.empty()) {
                    return Fail(error, "misplaced or unterminated CDATA section");
                }
                elements[open.back()].text += in_.substr(pos_ + 9, end - pos_ - 9);
                pos_ = end + 3;
            } else if (Starts("<!")) {
                const auto end = in_.find('>', pos_);
                if (end == std::string_view::npos ||
                    in_.substr(pos_, end - pos_).find('[') != std::string_view::npos) {
                    return Fail(error, "unsupported document type declaration");
                }
                pos_ = end + 1;
            } else if (Starts("</")) {
                pos_ += 2;
                const std::string_view name = ReadName();
                SkipSpace();
                if (name.empty() || !Take('>')) {
                    return Fail(error, "malformed end tag");
                }
                if (open.empty() || elements[open.back()].name != name) {
                    return Fail(error, "end tag </" + std::string(name) + "> does not match");
                }
                open.pop_back();
            } else {
                ++pos_;
                if (!open.empty() || elements.empty()) {
                    Element element;
                    bool selfClosing = false;
                    if (!ReadStartTag(element, selfClosing, error)) {
                        return false;
                    }
                    const std::size_t index = elements.size();
                    if (!open.empty()) {
                        elements[open.back()].children.push_back(index);
                    }
                    elements.push_back(std::move(element));
                    if (!selfClosing) {
                        if (open.size() >= static_cast<std::size_t>(kMaxDepth)) {
                            return Fail(error, "elements nested too deeply");
                        }
                        open.push_back(index);
                    }
                } else {
                    return Fail(error, "more than one root element");
                }
            }
        }
        if (!open.empty()) {
            return Fail(error, "element <" + elements[open.back()].name + "> is not closed");
        }
        if (elements.empty()) {
            return Fail(error, "no root element");
        }
        return true;
    }

  private:
    static bool Fail(std::string& error, std::string message) {
        error = std::move(message);
        return false;
    }

    bool Starts(std::string_view s) const { return in_.substr(pos_, s.size()) == s; }

    bool SkipPast(std::string_view s) {
        const auto at = in_.find(s, pos_);
        if (at == std::string_view::npos) {
            return false;
        }
        pos_ = at + s.size();
        return true;
    }

    bool Take(char c) {
        if (pos_ < in_.size() && in_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }

    void SkipSpace() {
        while (pos_ < in_.size() &&
               (in_[pos_] == ' ' || in_[pos_] == '\t' || in_[pos_] == '\r' || in_[pos_] == '\n')) {
            ++pos_;
        }
    }

    std::string_view ReadName() {
        const std::size_t start = pos_;
        while (pos_ < in_.size()) {
            const char c = in_[pos_];
            const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                            (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.' ||
                            c == ':' || static_cast<unsigned char>(c) >= 0x80;
            if (!ok) {
                break;
            }
            ++pos_;
        }
        return in_.substr(start, pos_ - start);
    }

    static void AppendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    // Decodes an entity starting at '&'.
    bool ReadEntity(std::string& out, std::string& error) {
        const auto end = in_.find(';', pos_);
        if (end == std::string_view::npos || end - pos_ > 12) {
            return Fail(error, "unterminated entity");
        }
        const std::string_view name = in_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        static constexpr std::pair<std::string_view, char> kNamed[] = {
            {"lt", '<'}, {"gt", '>'}, {"amp", '&'}, {"quot", '"'}, {"apos", '\''}};
        for (const auto& [n, c] : kNamed) {
            if (name == n) {
                out += c;
                return true;
            }
        }
        if (name.size() >= 2 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const std::string_view digits = name.substr(hex ? 2 : 1);
            std::uint32_t cp = 0;
            const auto [p, ec] =
                std::from_chars(digits.data(), digits.data() + digits.size(), cp, hex ? 16 : 10);
            if (ec == std::errc() && p == digits.data() + digits.size() && !digits.empty() &&
                cp != 0 && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
                AppendUtf8(out, cp);
                return true;
            }
        }
        return Fail(error, "bad entity &" + std::string(name) + ";");
    }

    bool ReadText(std::string& out, std::string& error) {
        while (pos_ < in_.size() && in_[pos_] != '<') {
            if (in_[pos_] == '&') {
                if (!ReadEntity(out, error)) {
                    return false;
                }
            } else {
                out += in_[pos_++];
            }
        }
        return true;
    }

    bool ReadStartTag(Element& element, bool& selfClosing, std::string& error) {
        element.name = std::string(ReadName());
        if (element.name.empty()) {
            return Fail(error, "malformed start tag");
        }
        for (;;) {
            SkipSpace();
            if (Take('>')) {
                return true;
            }
            if (Starts("/>")) {
                pos_ += 2;
                selfClosing = true;
                return true;
            }
            const std::string_view key = ReadName();
            SkipSpace();
            if (key.empty() || !Take('=')) {
                return Fail(error, "malformed attribute in <" + element.name + ">");
            }
            SkipSpace();
            if (pos_ >= in_.size() || (in_[pos_] != '"' && in_[pos_] != '\'')) {
                return Fail(error, "unquoted attribute in <" + element.name + ">");
            }
            const char quote = in_[pos_++];
            std::string value;
            while (pos_ < in_.size() && in_[pos_] != quote) {
                if (in_[pos_] == '<') {
                    return Fail(error, "'<' in an attribute value");
                }
                if (in_[pos_] == '&') {
                    if (!ReadEntity(value, error)) {
                        return false;
                    }
                } else {
                    value += in_[pos_++];
                }
            }
            if (!Take(quote)) {
                return Fail(error, "unterminated attribute value");
            }
            element.attributes.emplace_back(std::string(key), std::move(value));
        }
    }

    std::string_view in_;
    std::size_t pos_ = 0;
};

std::string_view TrimSpace(std::string_view s) {
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

std::optional<int> ParseInt(std::string_view s) {
    s = TrimSpace(s);
    int value = 0;
    const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || p != s.data() + s.size() || s.empty()) {
        return std::nullopt;
    }
    return value;
}

// The value element of a <property>: its kind (string, number, bool, ...) and its text.
struct PropertyValue {
    std::string type;
    std::string text;
};

class FormBuilder {
  public:
    FormBuilder(const std::vector<Element>& elements, std::string& error)
        : elements_(elements), error_(error) {}

    std::optional<UiForm> Build() {
        const Element& root = elements_[0];
        if (root.name != "ui") {
            error_ = "the root element is not <ui>";
            return std::nullopt;
        }
        const Element* top = nullptr;
        for (std::size_t child : root.children) {
            if (elements_[child].name == "widget") {
                top = &elements_[child];
                topIndex_ = child;
                break;
            }
        }
        if (top == nullptr) {
            error_ = "the form has no widget";
            return std::nullopt;
        }
        if (auto title = Property(*top, "windowTitle")) {
            form_.title = title->text;
        }
        if (!Walk(topIndex_, 0, 0)) {
            return std::nullopt;
        }
        return std::move(form_);
    }

  private:
    std::optional<PropertyValue> Property(const Element& widget, std::string_view name) const {
        for (std::size_t child : widget.children) {
            const Element& p = elements_[child];
            const std::string* key = p.Attribute("name");
            if (p.name != "property" || key == nullptr || *key != name) {
                continue;
            }
            if (p.children.empty()) {
                return PropertyValue{};
            }
            const Element& value = elements_[p.children.front()];
            return PropertyValue{value.name, value.text};
        }
        return std::nullopt;
    }

    std::optional<bool> BoolProperty(const Element& widget, std::string_view name) const {
        const auto p = Property(widget, name);
        if (!p) {
            return std::nullopt;
        }
        return TrimSpace(p->text) == "true";
    }

    bool IntProperty(const Element& widget, std::string_view name, std::optional<int>& out) {
        const auto p = Property(widget, name);
        if (!p) {
            return true;
        }
        out = ParseInt(p->text);
        if (!out) {
            error_ = "widget '" + Name(widget) + "': property " + std::string(name) +
                     " is not an integer";
            return false;
        }
        return true;
    }

    static std::string Name(const Element& widget) {
        const std::string* name = widget.Attribute("name");
        return name != nullptr ? *name : std::string("?");
    }

    // `parentWidget` is the index of the nearest enclosing widget element.
    bool Walk(std::size_t index, std::size_t parentWidget, int depth) {
        if (depth > kMaxDepth) {
            error_ = "widgets nested too deeply";
            return false;
        }
        const Element& element = elements_[index];
        std::size_t widgetForChildren = parentWidget;
        if (element.name == "widget") {
            if (index != topIndex_ && !AddControl(element, parentWidget)) {
                return false;
            }
            widgetForChildren = index;
        }
        for (std::size_t child : element.children) {
            const std::string& name = elements_[child].name;
            if (name == "widget" || name == "layout" || name == "item") {
                if (!Walk(child, widgetForChildren, depth + 1)) {
                    return false;
                }
            }
        }
        return true;
    }

    bool AddControl(const Element& widget, std::size_t parentWidget) {
        const auto idProperty = Property(widget, "controlId");
        if (!idProperty) {
            return true;
        }
        UiControl control;
        const auto id = ParseInt(idProperty->text);
        if (!id || *id < 0 || *id > kMaxControlId) {
            error_ = "widget '" + Name(widget) + "': bad controlId '" + idProperty->text + "'";
            return false;
        }
        control.id = *id;
        if (!ids_.insert(control.id).second) {
            error_ = "control " + std::to_string(control.id) + " appears twice";
            return false;
        }
        const std::string* cls = widget.Attribute("class");
        control.className = cls != nullptr ? *cls : std::string();
        control.objectName = Name(widget);
        ui::WidgetTraits traits;
        traits.checkable = BoolProperty(widget, "checkable").value_or(false);
        traits.autoExclusive = BoolProperty(widget, "autoExclusive").value_or(false);
        traits.editable = BoolProperty(widget, "editable").value_or(false);
        const auto kind = ui::KindOfWidgetClass(control.className, traits);
        if (!kind) {
            error_ = "control " + std::to_string(control.id) + ": class '" + control.className +
                     "' cannot be addressed";
            return false;
        }
        control.kind = *kind;
        control.group = static_cast<int>(parentWidget);
        for (const char* textProperty : {"text", "title", "plainText"}) {
            if (auto p = Property(widget, textProperty)) {
                control.text = p->text;
                break;
            }
        }
        if (auto p = Property(widget, "toolTip")) {
            control.toolTip = p->text;
        }
        control.enabled = BoolProperty(widget, "enabled").value_or(true);
        control.visible = BoolProperty(widget, "visible").value_or(true);
        control.checked = BoolProperty(widget, "checked").value_or(false);
        control.isDefault = BoolProperty(widget, "default").value_or(false);
        std::optional<int> picture;
        if (!IntProperty(widget, "minimum", control.minimum) ||
            !IntProperty(widget, "maximum", control.maximum) ||
            !IntProperty(widget, "value", control.value) ||
            !IntProperty(widget, "singleStep", control.singleStep) ||
            !IntProperty(widget, "picture", picture)) {
            return false;
        }
        control.picture = picture.value_or(0);
        for (std::size_t child : widget.children) {
            if (elements_[child].name == "item") {
                auto text = Property(elements_[child], "text");
                control.items.push_back(text ? text->text : std::string());
            }
        }
        form_.controls.push_back(std::move(control));
        return true;
    }

    const std::vector<Element>& elements_;
    std::string& error_;
    std::size_t topIndex_ = 0;
    std::set<int> ids_;
    UiForm form_;
};

}  // namespace

std::optional<UiForm> ParseUiForm(std::string_view xml, std::string& error) {
    if (xml.size() > kMaxFileBytes) {
        error = "the form file is too large";
        return std::nullopt;
    }
    std::vector<Element> elements;
    if (!XmlReader(xml).Read(elements, error)) {
        return std::nullopt;
    }
    return FormBuilder(elements, error).Build();
}

std::optional<UiForm> ReadUiForm(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    auto form = ParseUiForm(content.str(), error);
    if (!form) {
        error = path + ": " + error;
    }
    return form;
}

}  // namespace tavro::test
