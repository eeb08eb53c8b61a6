#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "params/CBinding.h"
#include "tests/support/UiFile.h"
#include "tests/ui/Glossary.h"
#include "tests/ui/forms_expectations.h"
#include "ui/CCtrlBatch.h"
#include "ui/StringTable.h"

namespace tavro::test {
namespace {

using ui::ControlId;
using ui::ControlKind;

std::string FormPath(int templateId) {
    return std::string(TAVRO_FORMS_DIR) + "/" + std::to_string(templateId) + ".ui";
}

// Every program form, read once.
const UiForm& Form(int templateId) {
    static const std::map<int, UiForm> kForms = [] {
        std::map<int, UiForm> all;
        for (const int id : forms::kTemplates) {
            std::string error;
            if (auto form = ReadUiForm(FormPath(id), error)) {
                all[id] = std::move(*form);
            }
        }
        return all;
    }();
    static const UiForm kEmpty;
    const auto it = kForms.find(templateId);
    return it != kForms.end() ? it->second : kEmpty;
}

const UiControl* Find(const UiForm& form, ControlId id) {
    for (const UiControl& c : form.controls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

std::string Name(const testing::TestParamInfo<int>& info) {
    return "f" + std::to_string(info.param);
}

// --- every form file ---

class FormFileTest : public testing::TestWithParam<int> {};

TEST_P(FormFileTest, ReadsWithEachControlIdOnce) {
    // The reader refuses a form in which a control ID repeats, a class no presenter can
    // address, or XML it cannot read.
    std::string error;
    const auto form = ReadUiForm(FormPath(GetParam()), error);
    ASSERT_TRUE(form) << error;
    EXPECT_FALSE(form->controls.empty());
}

TEST_P(FormFileTest, TabVisitsTheControlsInReadingOrder) {
    const int id = GetParam();
    const auto order = std::find_if(std::begin(forms::kTabOrders), std::end(forms::kTabOrders),
                                    [id](const forms::TabOrder& o) { return o.form == id; });
    if (order == std::end(forms::kTabOrders)) {
        GTEST_SKIP() << "a single control takes the focus";
    }
    const UiForm& form = Form(id);
    std::vector<ControlId> documentOrder;
    for (const UiControl& c : form.controls) {
        documentOrder.push_back(c.id);
    }
    std::ptrdiff_t last = -1;
    for (const ControlId control : order->controls) {
        const auto at = std::find(documentOrder.begin(), documentOrder.end(), control);
        ASSERT_NE(at, documentOrder.end()) << "control " << control << " is missing";
        EXPECT_GT(at - documentOrder.begin(), last) << "control " << control << " comes too early";
        last = at - documentOrder.begin();
    }
}

TEST_P(FormFileTest, EveryRadioBelongsToExactlyItsGroup) {
    const int id = GetParam();
    const UiForm& form = Form(id);
    std::set<ControlId> grouped;
    for (const forms::RadioGroup& group : forms::kRadioGroups) {
        if (group.form != id) {
            continue;
        }
        const UiControl* first = Find(form, group.radios.front());
        ASSERT_NE(first, nullptr) << group.radios.front();
        std::set<ControlId> expected(group.radios.begin(), group.radios.end());
        std::set<ControlId> actual;
        for (const UiControl& c : form.controls) {
            if (c.kind == ControlKind::kRadio && c.group == first->group) {
                actual.insert(c.id);
            }
        }
        EXPECT_EQ(actual, expected) << "group of " << group.radios.front();
        grouped.insert(expected.begin(), expected.end());
    }
    for (const UiControl& c : form.controls) {
        if (c.kind == ControlKind::kRadio) {
            EXPECT_TRUE(grouped.count(c.id) != 0) << "radio " << c.id << " has no known group";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, FormFileTest, testing::ValuesIn(forms::kTemplates), Name);

// --- texts that no presenter can reach ---

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string XmlDecoded(std::string s) {
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, text] : entities) {
        for (auto at = s.find(entity); at != std::string::npos; at = s.find(entity, at + 1)) {
            s.replace(at, std::string(entity).size(), text);
        }
    }
    return s;
}

// The captions ("text", "title") of widgets that carry no control ID, as "name: text". A
// widget's own properties stand before its children in a form file.
std::vector<std::string> CaptionsWithoutControlId(const std::string& xml) {
    std::vector<std::string> found;
    for (auto at = xml.find("<widget "); at != std::string::npos;
         at = xml.find("<widget ", at + 1)) {
        const std::size_t end = std::min(
            {xml.find("<widget ", at + 1), xml.find("</widget>", at), xml.find("<layout", at)});
        const std::string own = xml.substr(at, end == std::string::npos ? end : end - at);
        if (own.find("name=\"controlId\"") != std::string::npos) {
            continue;
        }
        const auto nameAt = own.find("name=\"") + 6;
        const std::string name = own.substr(nameAt, own.find('"', nameAt) - nameAt);
        for (const char* property : {"<property name=\"text\">", "<property name=\"title\">"}) {
            const auto p = own.find(property);
            if (p == std::string::npos) {
                continue;
            }
            const auto open = own.find("<string>", p);
            const auto close = own.find("</string>", open);
            if (open != std::string::npos && close != std::string::npos) {
                found.push_back(name + ": " + XmlDecoded(own.substr(open + 8, close - open - 8)));
            }
        }
    }
    return found;
}

// A caption without a control ID stays as the file has it in every language: only technical
// names, units, numbers and signs, and no colon or bracket, whose form follows the language.
TEST_P(FormFileTest, CaptionsWithoutAControlIdNeedNoTranslation) {
    std::vector<std::string> wrong;
    for (const std::string& caption : CaptionsWithoutControlId(ReadText(FormPath(GetParam())))) {
        const std::string text = caption.substr(caption.find(": ") + 2);
        if (!ForeignWords(text, ProgramGlossary()).empty() ||
            text.find_first_of(":()") != std::string::npos) {
            wrong.push_back(caption);
        }
    }
    EXPECT_TRUE(wrong.empty()) << testing::PrintToString(wrong);
}

TEST(FormFileCaptions, AreFoundForWidgetsWithoutAControlIdOnly) {
    const std::string xml =
        "<widget class=\"QLabel\" name=\"a\"><property name=\"text\"><string>BUSY "
        ":</string></property></widget>"
        "<widget class=\"QLabel\" name=\"b\"><property name=\"controlId\" "
        "stdset=\"0\"><number>1</number></property><property "
        "name=\"text\"><string>Cut</string></property></widget>"
        "<widget class=\"QGroupBox\" name=\"c\"><property name=\"title\"><string>A &amp; "
        "B</string></property><layout class=\"QVBoxLayout\"/></widget>";
    EXPECT_EQ(CaptionsWithoutControlId(xml), (std::vector<std::string>{"a: BUSY :", "c: A & B"}));
}

// --- the presentation tables ---

struct CaptionCase {
    const char* name;
    int dialog;
};

std::vector<ui::CaptionRow> RowsOf(int dialog) {
    std::vector<ui::CaptionRow> rows;
    for (const ui::CaptionTable* table :
         {&ui::CCtrlBatch::ComSelectTable(), &ui::CCtrlBatch::IdSearchTable()}) {
        for (const ui::CaptionRow& row : table->rows) {
            if (row.dialog == dialog) {
                rows.push_back(row);
            }
        }
    }
    for (const ui::CaptionRow& row : ui::CCtrlBatch::PageRows()) {
        if (row.dialog == dialog) {
            rows.push_back(row);
        }
    }
    return rows;
}

constexpr CaptionCase kCaptionCases[] = {
    {"ComSelect", 200},  {"IdSearch", 157},  {"IoSetup", 210},
    {"BasicSetup", 211}, {"StepSetup", 212}, {"MonitorTest", 213},
};

class CaptionTableTest : public testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionTableTest, EveryRowNamesAControlOfTheForm) {
    const UiForm& form = Form(GetParam().dialog);
    const std::vector<ui::CaptionRow> rows = RowsOf(GetParam().dialog);
    ASSERT_FALSE(rows.empty());
    for (const ui::CaptionRow& row : rows) {
        const UiControl* c = Find(form, row.control);
        ASSERT_NE(c, nullptr) << "control " << row.control;
        if (row.textStep != 0 || row.textPulse != 0) {
            EXPECT_TRUE(ui::HasTextOf(c->kind))
                << "control " << row.control << " is a " << ui::KindName(c->kind);
        }
    }
}

TEST_P(CaptionTableTest, PlaceholdersAreTheEnglishCaptions) {
    // So the files read as the program looks, in Designer and in tests that skip the
    // captions. A control hidden in the step-data type carries its pulse-type caption.
    const UiForm& form = Form(GetParam().dialog);
    const StringTable english(Language::kEnglish);
    for (const ui::CaptionRow& row : RowsOf(GetParam().dialog)) {
        const int text = row.showStep == ui::kSwHide ? row.textPulse : row.textStep;
        const UiControl* c = Find(form, row.control);
        if (text == 0 || c == nullptr) {
            continue;
        }
        EXPECT_EQ(c->text, english.Text(text)) << "control " << row.control;
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, CaptionTableTest, testing::ValuesIn(kCaptionCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FormTablesTest, WindowTitlesAreTheEnglishCaptions) {
    const StringTable english(Language::kEnglish);
    for (const ui::CaptionTable* table :
         {&ui::CCtrlBatch::ComSelectTable(), &ui::CCtrlBatch::IdSearchTable()}) {
        EXPECT_EQ(Form(table->header.dialog).title, english.Text(table->header.caption));
    }
}

// Labels the page rows leave alone get their caption from the label rows: each names a
// control of its form that shows text, whose placeholder is the English caption.
TEST(FormTablesTest, LabelRowsNameCaptionedControlsWithTheEnglishPlaceholder) {
    const StringTable english(Language::kEnglish);
    for (const ui::LabelRow& row : ui::CCtrlBatch::LabelRows()) {
        const UiControl* c = Find(Form(row.dialog), row.control);
        ASSERT_NE(c, nullptr) << row.dialog << "/" << row.control;
        EXPECT_TRUE(ui::HasTextOf(c->kind)) << row.dialog << "/" << row.control;
        EXPECT_EQ(c->text, english.Text(row.text)) << row.dialog << "/" << row.control;
    }
}

TEST(FormTablesTest, ComboAndListRowsNameControlsOfTheirKind) {
    for (const ui::ComboRow& row : ui::CCtrlBatch::ComboRows()) {
        const UiControl* c = Find(Form(row.dialog), row.control);
        ASSERT_NE(c, nullptr) << row.dialog << "/" << row.control;
        EXPECT_EQ(c->kind, ControlKind::kDropDown) << row.dialog << "/" << row.control;
    }
    for (const ui::ListRow& row : ui::CCtrlBatch::ListRows()) {
        const UiControl* c = Find(Form(row.dialog), row.control);
        ASSERT_NE(c, nullptr) << row.dialog << "/" << row.control;
        EXPECT_EQ(c->kind, ControlKind::kList) << row.dialog << "/" << row.control;
    }
}

// Items that come from the form files themselves and that presenters match by text.
struct FixedItems {
    const char* name;
    int form;
    ControlId control;
    std::vector<std::string> items;
};

std::vector<std::string> Masses() {
    std::vector<std::string> items;
    for (int g = 0; g <= 1000; g += 50) {
        items.push_back(std::to_string(g));
    }
    return items;
}

const std::vector<std::string> kSpeeds{"2400", "9600", "19200", "38400", "57600"};

class FixedItemsTest : public testing::TestWithParam<FixedItems> {};

TEST_P(FixedItemsTest, TheFormHoldsThem) {
    const UiControl* c = Find(Form(GetParam().form), GetParam().control);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->items, GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    Combos, FixedItemsTest,
    testing::Values(FixedItems{"ComSpeeds", 200, 1203, kSpeeds},
                    FixedItems{"SetupSpeeds", 138, 1020, kSpeeds},
                    FixedItems{"BasicStrokes", 211, 1514, {"Select", "10", "20", "30", "50"}},
                    FixedItems{"DetailStrokes", 204, 1908, {"Select", "10", "20", "30", "50"}},
                    FixedItems{"StepMasses", 212, 1670, Masses()},
                    FixedItems{"DetailMasses", 204, 1861, Masses()}),
    [](const auto& info) { return std::string(info.param.name); });

// --- the binding tables ---

struct BindingCase {
    const char* name;
    int view;
    int form;
};

constexpr BindingCase kBindingCases[] = {
    {"IoSetup", kViewIo, 210},    {"BasicSetup", kViewBasic, 211},    {"StepSetup", kViewStep, 212},
    {"Detail", kViewDetail, 204}, {"CommSetup", kViewCommSetup, 138},
};

class BindingFormTest : public testing::TestWithParam<BindingCase> {};

TEST_P(BindingFormTest, EveryBoundControlHasAFittingKind) {
    const UiForm& form = Form(GetParam().form);
    const auto table = CBinding::Table(GetParam().view);
    ASSERT_FALSE(table.empty());
    for (const BindingDescriptor& d : table) {
        if (d.listControl != kNoList) {
            const UiControl* list = Find(form, d.listControl);
            ASSERT_NE(list, nullptr) << "list " << d.listControl;
            EXPECT_EQ(list->kind, ControlKind::kList) << "list " << d.listControl;
        }
        switch (d.kind) {
            case kBindEdit: {
                const UiControl* c = Find(form, d.control);
                ASSERT_NE(c, nullptr) << "control " << d.control;
                EXPECT_EQ(c->kind, ControlKind::kEdit) << "control " << d.control;
                break;
            }
            case kBindList: {
                const UiControl* c = Find(form, d.control);
                ASSERT_NE(c, nullptr) << "control " << d.control;
                EXPECT_EQ(c->kind, ControlKind::kDropDown) << "control " << d.control;
                break;
            }
            case kBindRadio: {
                const UiControl* first = Find(form, d.control);
                ASSERT_NE(first, nullptr) << "radio " << d.control;
                for (ControlId id = d.control; id <= d.lastControl; ++id) {
                    const UiControl* c = Find(form, id);
                    ASSERT_NE(c, nullptr) << "radio " << id;
                    EXPECT_EQ(c->kind, ControlKind::kRadio) << "radio " << id;
                    EXPECT_EQ(c->group, first->group) << "radio " << id;
                }
                break;
            }
            default:
                ADD_FAILURE() << "unknown binding kind " << d.kind;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Views, BindingFormTest, testing::ValuesIn(kBindingCases),
                         [](const auto& info) { return std::string(info.param.name); });

// --- pictures ---

TEST(FormPicturesTest, EveryPictureTheProgramAsksForIsAnSvgFile) {
    std::set<int> wanted(std::begin(forms::kPictures), std::end(forms::kPictures));
    for (const int id : forms::kTemplates) {
        for (const UiControl& c : Form(id).controls) {
            if (c.picture != 0) {
                wanted.insert(c.picture);
            }
        }
    }
    for (const int number : wanted) {
        const std::string path =
            std::string(TAVRO_PICTURES_DIR) + "/" + std::to_string(number) + ".svg";
        std::ifstream in(path);
        ASSERT_TRUE(in) << path;
        std::ostringstream content;
        content << in.rdbuf();
        EXPECT_NE(content.str().find("<svg"), std::string::npos) << path;
        EXPECT_NE(content.str().find("viewBox"), std::string::npos) << path;
    }
}

}  // namespace
}  // namespace tavro::test
