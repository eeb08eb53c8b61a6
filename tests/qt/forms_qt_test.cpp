#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QSvgRenderer>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "app/preview/FormPreview.h"
#include "tests/support/UiFile.h"
#include "tests/ui/forms_expectations.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtFormFactory.h"
#include "ui/qt/ReportList.h"

namespace tavro::test {
namespace {

using ui::ControlId;

bool IsPage(int templateId) {
    return std::find(std::begin(forms::kPages), std::end(forms::kPages), templateId) !=
           std::end(forms::kPages);
}

// The class a form file names, or one derived from it (the loader puts the program's own
// widgets in place of some toolkit ones).
bool IsOfClass(const QWidget& widget, const std::string& className) {
    for (const QMetaObject* meta = widget.metaObject(); meta != nullptr;
         meta = meta->superClass()) {
        std::string name = meta->className();
        if (const auto colons = name.rfind("::"); colons != std::string::npos) {
            name.erase(0, colons + 2);
        }
        if (name == className) {
            return true;
        }
    }
    return false;
}

std::string Name(const testing::TestParamInfo<int>& info) {
    return "f" + std::to_string(info.param);
}

// --- loading the built-in forms ---

class BuiltInFormTest : public testing::TestWithParam<int> {
  protected:
    qt::QtFormFactory factory;  // no forms folder: the program's own resources
};

TEST_P(BuiltInFormTest, LoadsWithTheControlsItsFileDeclares) {
    const int id = GetParam();
    std::string error;
    const auto file =
        ReadUiForm(std::string(TAVRO_FORMS_DIR) + "/" + std::to_string(id) + ".ui", error);
    ASSERT_TRUE(file) << error;

    std::unique_ptr<ui::Form> main;
    std::unique_ptr<ui::Form> form;
    if (IsPage(id)) {
        main = factory.Create(forms::kMainWindow, nullptr, ui::FormKind::kModeless);
        ASSERT_NE(main, nullptr);
        form = factory.Create(id, main.get(), ui::FormKind::kPage);
    } else {
        form = factory.Create(id, nullptr, ui::FormKind::kModeless);
    }
    ASSERT_NE(form, nullptr);
    auto& qtForm = dynamic_cast<qt::QtForm&>(*form);
    for (const UiControl& c : file->controls) {
        QWidget* widget = qtForm.Widget(c.id);
        ASSERT_NE(widget, nullptr) << "control " << c.id;
        EXPECT_TRUE(IsOfClass(*widget, c.className))
            << "control " << c.id << " is a " << widget->metaObject()->className();
    }
    int addressed = 0;
    for (const QWidget* widget : qtForm.Root()->findChildren<QWidget*>()) {
        addressed += widget->property("controlId").isValid() ? 1 : 0;
    }
    EXPECT_EQ(addressed, static_cast<int>(file->controls.size()));
}

INSTANTIATE_TEST_SUITE_P(Forms, BuiltInFormTest, testing::ValuesIn(forms::kTemplates), Name);

TEST(BuiltInResourcesTest, HoldEveryFormAndPictureOfTheSourceTree) {
    for (const auto& [folder, prefix] :
         {std::pair{QStringLiteral(TAVRO_FORMS_DIR), QStringLiteral(":/forms")},
          std::pair{QStringLiteral(TAVRO_PICTURES_DIR), QStringLiteral(":/pictures")}}) {
        const QStringList names = QDir(folder).entryList(QDir::Files);
        ASSERT_FALSE(names.isEmpty()) << qPrintable(folder);
        for (const QString& name : names) {
            QFile source(folder + "/" + name);
            QFile built(prefix + "/" + name);
            ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << qPrintable(name);
            ASSERT_TRUE(built.open(QIODevice::ReadOnly)) << qPrintable(name) << " is not built in";
            EXPECT_EQ(built.readAll(), source.readAll()) << qPrintable(name) << " is stale";
        }
    }
}

TEST(BuiltInResourcesTest, EveryPictureDraws) {
    for (const int number : forms::kPictures) {
        QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(number));
        EXPECT_TRUE(renderer.isValid()) << number;
        EXPECT_FALSE(renderer.defaultSize().isEmpty()) << number;
    }
}

// --- tab order in the real widgets ---

class TabOrderTest : public testing::TestWithParam<forms::TabOrder> {
  protected:
    qt::QtFormFactory factory;
};

TEST_P(TabOrderTest, TabWalksTheControlsInReadingOrder) {
    const StringTable strings(Language::kEnglish);
    std::string error;
    auto scene = preview::PreviewScene::Build(factory, GetParam().form, 2, strings, error);
    ASSERT_NE(scene, nullptr) << error;
    QWidget& window = scene->Window();
    std::vector<ControlId> chain;
    for (QWidget* w = window.nextInFocusChain(); w != nullptr && w != &window;
         w = w->nextInFocusChain()) {
        const auto [owner, id] = factory.OwnerOf(w);
        if (owner == &scene->Form() && id != ui::kNoControl && (w->focusPolicy() & Qt::TabFocus) &&
            (chain.empty() || chain.back() != id)) {
            chain.push_back(id);
        }
    }
    std::ptrdiff_t last = -1;
    for (const ControlId control : GetParam().controls) {
        const auto at = std::find(chain.begin(), chain.end(), control);
        ASSERT_NE(at, chain.end()) << "control " << control << " is not reached by Tab";
        EXPECT_GT(at - chain.begin(), last) << "control " << control << " comes too early";
        last = at - chain.begin();
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, TabOrderTest, testing::ValuesIn(forms::kTabOrders),
                         [](const auto& info) { return "f" + std::to_string(info.param.form); });

// --- what the user sees: captions of both languages and both types fit ---

struct FitCase {
    int form;
    Language language;
    int controlType;
};

std::vector<FitCase> FitCases() {
    std::vector<FitCase> cases;
    for (const int form : forms::kTemplates) {
        for (const Language language : {Language::kEnglish, Language::kJapanese}) {
            for (const int type : {1, 2}) {
                cases.push_back({form, language, type});
            }
        }
    }
    return cases;
}

std::string FitName(const testing::TestParamInfo<FitCase>& info) {
    return "f" + std::to_string(info.param.form) +
           (info.param.language == Language::kJapanese ? "_ja" : "_en") +
           (info.param.controlType == 2 ? "_pulse" : "_steps");
}

// Group boxes and frames hold other controls; only what they hold must not overlap.
bool IsContainer(const QWidget& widget) {
    const QMetaObject* meta = widget.metaObject();
    return IsOfClass(widget, "QGroupBox") || meta == &QFrame::staticMetaObject ||
           meta == &QWidget::staticMetaObject;
}

class FormFitTest : public testing::TestWithParam<FitCase> {};

TEST_P(FormFitTest, EveryControlIsWholeInsideTheWindowAndOverlapsNoOther) {
    qt::QtFormOptions options;
    options.japanese = GetParam().language == Language::kJapanese;
    qt::QtFormFactory factory(options);
    const StringTable strings(GetParam().language);
    std::string error;
    auto scene = preview::PreviewScene::Build(factory, GetParam().form, GetParam().controlType,
                                              strings, error);
    ASSERT_NE(scene, nullptr) << error;
    scene->Show();
    scene->Grab();
    QWidget& window = scene->Window();

    struct Shown {
        ControlId id;
        QWidget* widget;
        QRect place;  // in window coordinates
    };
    std::vector<Shown> shown;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        const QVariant id = w->property("controlId");
        if (!id.isValid() || !w->isVisible() || IsContainer(*w)) {
            continue;
        }
        shown.push_back({id.toInt(), w, QRect(w->mapTo(&window, QPoint(0, 0)), w->size())});
    }
    ASSERT_FALSE(shown.empty());
    for (const Shown& s : shown) {
        EXPECT_TRUE(window.rect().contains(s.place)) << "control " << s.id << " leaves the window";
        EXPECT_FALSE(s.place.isEmpty()) << "control " << s.id << " has no room";
        if (auto* label = qobject_cast<QLabel*>(s.widget);
            label != nullptr && label->pixmap().isNull()) {
            if (label->wordWrap()) {
                EXPECT_LE(label->heightForWidth(label->width()), label->height() + 1)
                    << "the text of " << s.id << " is cut off";
            } else {
                EXPECT_LE(label->sizeHint().width(), label->width() + 1)
                    << "the text of " << s.id << " is cut off";
            }
        }
        if (qobject_cast<QCheckBox*>(s.widget) != nullptr ||
            qobject_cast<QRadioButton*>(s.widget) != nullptr) {
            EXPECT_LE(s.widget->sizeHint().width(), s.widget->width() + 1)
                << "the caption of " << s.id << " is cut off";
        } else if (qobject_cast<QAbstractButton*>(s.widget) != nullptr) {
            EXPECT_LE(s.widget->minimumSizeHint().width(), s.widget->width() + 1)
                << "button " << s.id << " is squeezed";
        }
        if (auto* list = qobject_cast<qt::ReportList*>(s.widget)) {
            EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0)
                << "list " << s.id << " hides columns";
            const QHeaderView* header = list->horizontalHeader();
            const int margins = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin);
            for (int c = 0; c < list->columnCount(); ++c) {
                const QString heading = list->horizontalHeaderItem(c)->text().trimmed();
                EXPECT_LE(header->fontMetrics().horizontalAdvance(heading) + margins,
                          header->sectionSize(c))
                    << "heading \"" << heading.toStdString() << "\" of list " << s.id
                    << " is cut off";
            }
        }
    }
    for (std::size_t i = 0; i < shown.size(); ++i) {
        for (std::size_t j = i + 1; j < shown.size(); ++j) {
            const Shown& a = shown[i];
            const Shown& b = shown[j];
            if (a.widget->isAncestorOf(b.widget) || b.widget->isAncestorOf(a.widget)) {
                continue;
            }
            EXPECT_FALSE(a.place.intersects(b.place))
                << "controls " << a.id << " and " << b.id << " overlap: " << a.place.x() << ","
                << a.place.y() << " " << a.place.width() << "x" << a.place.height() << " and "
                << b.place.x() << "," << b.place.y() << " " << b.place.width() << "x"
                << b.place.height();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, FormFitTest, testing::ValuesIn(FitCases()), FitName);

}  // namespace
}  // namespace tavro::test
