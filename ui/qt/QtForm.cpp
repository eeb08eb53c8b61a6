#include "ui/qt/QtForm.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QTabBar>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <optional>

#include "ui/Keys.h"
#include "ui/qt/CColrBtn.h"
#include "ui/qt/FormWindow.h"
#include "ui/qt/KeyMap.h"
#include "ui/qt/Lamp.h"
#include "ui/qt/PaletteSlider.h"
#include "ui/qt/PictureFiles.h"
#include "ui/qt/PictureLabel.h"
#include "ui/qt/QtFormFactory.h"
#include "ui/qt/QtOwnership.h"
#include "ui/qt/QtPalette.h"
#include "ui/qt/ReportList.h"
#include "ui/qt/SpinButton.h"

namespace tavro::qt {

using ui::ControlId;
using ui::ControlKind;
using ui::kNoControl;

// Hands the input of a form's window to the form before any widget sees it.
class WindowEventFilter : public QObject {
  public:
    explicit WindowEventFilter(QtForm& form) : form_(form) {}

    bool eventFilter(QObject*, QEvent* event) override { return form_.FilterWindowEvent(event); }

  private:
    QtForm& form_;
};

namespace {

constexpr int kMaxControlId = 65535;
constexpr const char* kFrameTextProperty = "tavroText";

QString ToQ(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string FromQ(const QString& s) {
    return s.toStdString();
}

std::optional<ControlKind> KindOfWidget(const QWidget& widget) {
    ui::WidgetTraits traits;
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        traits.checkable = button->isCheckable();
        traits.autoExclusive = button->autoExclusive();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(&widget)) {
        traits.editable = combo->isEditable();
    }
    for (const QMetaObject* meta = widget.metaObject(); meta != nullptr;
         meta = meta->superClass()) {
        std::string_view name = meta->className();
        if (const auto colons = name.rfind("::"); colons != std::string_view::npos) {
            name.remove_prefix(colons + 2);
        }
        if (auto kind = ui::KindOfWidgetClass(name, traits)) {
            return kind;
        }
    }
    return std::nullopt;
}

// Shown unless explicitly hidden, whatever the window around it does.
bool OwnVisible(const QWidget& widget) {
    return !(widget.testAttribute(Qt::WA_WState_Hidden) &&
             widget.testAttribute(Qt::WA_WState_ExplicitShowHide));
}

bool NeedsBackgroundFill(ControlKind kind) {
    switch (kind) {
        case ControlKind::kLabel:
        case ControlKind::kRadio:
        case ControlKind::kCheckBox:
        case ControlKind::kGroupBox:
        case ControlKind::kFrame:
        case ControlKind::kPicture:
            return true;
        default:
            return false;
    }
}

}  // namespace

QtForm::QtForm(QtFormFactory& factory, QWidget* root, FormWindow* window, QtForm* parent,
               ui::FormKind kind)
    : factory_(factory), root_(root), window_(window), parent_(parent), kind_(kind) {
    factory_.Register(this, root, window);
    title_ = FromQ(root->windowTitle());
    if (factory_.Options().japanese) {
        root->setFont(WithJapanesePreference(root->font()));
    }
    CollectControls();
    if (window_ != nullptr) {
        window_->setWindowTitle(root->windowTitle());
        window_->SetCloseHandler([this] {
            bool allowed = true;
            Emit([&](ui::FormEvents& l) { allowed = l.OnCloseRequest(); });
            if (allowed && running_) {
                EndModal(ui::kIdCancel);
            }
            return allowed;
        });
        windowFilter_ = std::make_unique<WindowEventFilter>(*this);
        window_->SetWindowHandler([this] { InstallWindowFilter(); });
        InstallWindowFilter();
    } else {
        root->hide();
    }
}

QtForm::~QtForm() {
    listener_ = nullptr;
    factory_.Unregister(this);
    if (filteredWindow_ != nullptr && windowFilter_ != nullptr) {
        filteredWindow_->removeEventFilter(windowFilter_.get());
    }
    if (window_ != nullptr) {
        std::unique_ptr<FormWindow> owned(window_.data());
    } else if (root_ != nullptr) {
        std::unique_ptr<QWidget> owned(root_.data());
    }
}

void QtForm::InstallWindowFilter() {
    if (window_ == nullptr) {
        return;
    }
    if (window_->windowHandle() == nullptr) {
        window_->winId();
    }
    QWindow* handle = window_->windowHandle();
    if (handle != nullptr && handle != filteredWindow_.data()) {
        if (filteredWindow_ != nullptr) {
            filteredWindow_->removeEventFilter(windowFilter_.get());
        }
        handle->installEventFilter(windowFilter_.get());
        filteredWindow_ = handle;
    }
}

void QtForm::CollectControls() {
    for (QWidget* widget : root_->findChildren<QWidget*>()) {
        const QVariant value = widget->property("controlId");
        if (!value.isValid()) {
            continue;
        }
        bool ok = false;
        const int id = value.toInt(&ok);
        if (!ok || id < 0 || id > kMaxControlId) {
            qWarning("widget %s: bad controlId", qUtf8Printable(widget->objectName()));
            continue;
        }
        const auto kind = KindOfWidget(*widget);
        if (!kind) {
            qWarning("control %d: class %s cannot be addressed", id,
                     widget->metaObject()->className());
            continue;
        }
        if (controls_.count(id) != 0) {
            qWarning("control %d appears twice; the first one is used", id);
            continue;
        }
        auto control = std::make_unique<Control>();
        control->widget = widget;
        control->kind = *kind;
        control->palette = widget->palette();
        control->autoFill = widget->autoFillBackground();
        Wire(id, *control);
        controls_[id] = std::move(control);
    }
}

void QtForm::Wire(ControlId id, Control& control) {
    QWidget* widget = control.widget;
    widget->setFocusPolicy(ui::TakesFocus(control.kind) ? Qt::StrongFocus : Qt::NoFocus);
    switch (control.kind) {
        case ControlKind::kLabel:
            if (auto* label = qobject_cast<QLabel*>(widget)) {
                label->setTextFormat(Qt::PlainText);
            }
            break;
        case ControlKind::kEdit:
            if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
                QObject::connect(edit, &QLineEdit::textEdited, edit, [this, id] {
                    Emit([&](ui::FormEvents& l) { l.OnTextEdited(id); });
                });
            } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
                QObject::connect(plain, &QPlainTextEdit::textChanged, plain, [this, id] {
                    if (!Quietly()) {
                        Emit([&](ui::FormEvents& l) { l.OnTextEdited(id); });
                    }
                });
            } else if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
                QObject::connect(rich, &QTextEdit::textChanged, rich, [this, id] {
                    if (!Quietly()) {
                        Emit([&](ui::FormEvents& l) { l.OnTextEdited(id); });
                    }
                });
            }
            break;
        case ControlKind::kDropDown:
        case ControlKind::kEditCombo: {
            auto* combo = qobject_cast<QComboBox*>(widget);
            combo->setInsertPolicy(QComboBox::NoInsert);
            {
                // Nothing is chosen until a presenter chooses.
                Quiet quiet(*this);
                combo->setCurrentIndex(-1);
                if (combo->isEditable()) {
                    combo->setEditText(QString());
                }
            }
            QObject::connect(combo, &QComboBox::currentIndexChanged, combo, [this, id] {
                if (!Quietly()) {
                    Emit([&](ui::FormEvents& l) { l.OnSelectionChanged(id); });
                }
            });
            if (QLineEdit* edit = combo->lineEdit()) {
                QObject::connect(edit, &QLineEdit::textEdited, combo, [this, id] {
                    Emit([&](ui::FormEvents& l) { l.OnTextEdited(id); });
                });
            }
            break;
        }
        case ControlKind::kRadio: {
            auto* button = qobject_cast<QAbstractButton*>(widget);
            if (auto* push = qobject_cast<QPushButton*>(widget)) {
                push->setAutoDefault(false);
            }
            QObject::connect(button, &QAbstractButton::toggled, button, [this, id](bool on) {
                if (on && !Quietly()) {
                    Emit([&](ui::FormEvents& l) { l.OnSelectionChanged(id); });
                }
            });
            break;
        }
        case ControlKind::kCheckBox:
        case ControlKind::kPushButton:
        case ControlKind::kColourButton: {
            auto* button = qobject_cast<QAbstractButton*>(widget);
            if (auto* push = qobject_cast<QPushButton*>(widget)) {
                if (push->isDefault() && control.kind != ControlKind::kCheckBox) {
                    defaultButton_ = id;
                }
                // Return is decided by the form, never by the focused button.
                push->setAutoDefault(false);
            }
            QObject::connect(button, &QAbstractButton::clicked, button,
                             [this, id] { Emit([&](ui::FormEvents& l) { l.OnClicked(id); }); });
            break;
        }
        case ControlKind::kList: {
            auto* list = qobject_cast<ReportList*>(widget);
            Control* c = &control;
            QObject::connect(list, &QTableWidget::itemSelectionChanged, list, [this, id, c, list] {
                if (Quietly()) {
                    return;
                }
                const int row = list->SelectedRow();
                if (row >= 0 && row != c->reportedRow) {
                    c->reportedRow = row;
                    Emit([&](ui::FormEvents& l) { l.OnSelectionChanged(id); });
                }
            });
            break;
        }
        case ControlKind::kSlider: {
            auto* slider = qobject_cast<QSlider*>(widget);
            QObject::connect(slider, &QSlider::valueChanged, slider, [this, id](int position) {
                if (!Quietly()) {
                    Emit([&](ui::FormEvents& l) { l.OnSliderScrolled(id, position); });
                }
            });
            break;
        }
        case ControlKind::kSpin: {
            auto* spin = qobject_cast<SpinButton*>(widget);
            QObject::connect(spin, &SpinButton::stepRequested, spin, [this, id, spin](int delta) {
                bool refused = false;
                Emit([&](ui::FormEvents& l) { refused = l.OnSpinDelta(id, delta); });
                if (!refused) {
                    spin->setValue(spin->value() + delta);
                }
            });
            break;
        }
        case ControlKind::kProgress:
            if (auto* bar = qobject_cast<QProgressBar*>(widget); bar->value() < bar->minimum()) {
                bar->setValue(bar->minimum());
            }
            break;
        case ControlKind::kTabStrip: {
            auto* tabs = qobject_cast<QTabBar*>(widget);
            QObject::connect(tabs, &QTabBar::currentChanged, tabs, [this, id] {
                if (!Quietly()) {
                    Emit([&](ui::FormEvents& l) { l.OnSelectionChanged(id); });
                }
            });
            break;
        }
        case ControlKind::kPicture:
            if (auto* picture = qobject_cast<PictureLabel*>(widget); picture->picture() > 0) {
                control.picture = picture->picture();
                picture->setPicture(
                    control.picture,
                    FindPictureFile(control.picture, factory_.Options().pictureFolders));
            }
            break;
        default:
            break;
    }
}

// --- lookups ---

QtForm::Control* QtForm::Find(ControlId id) const {
    const auto it = controls_.find(id);
    if (it == controls_.end() || it->second->widget == nullptr) {
        return nullptr;
    }
    return it->second.get();
}

template <typename W>
W* QtForm::As(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr ? qobject_cast<W*>(c->widget.data()) : nullptr;
}

ReportList* QtForm::List(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr && c->kind == ControlKind::kList ? qobject_cast<ReportList*>(c->widget)
                                                         : nullptr;
}

QComboBox* QtForm::Combo(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr && (c->kind == ControlKind::kDropDown || c->kind == ControlKind::kEditCombo)
               ? qobject_cast<QComboBox*>(c->widget)
               : nullptr;
}

bool QtForm::HasControl(ControlId id) const {
    return Find(id) != nullptr;
}

QWidget* QtForm::Widget(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr ? c->widget.data() : nullptr;
}

QWidget* QtForm::TopWindow() const {
    if (window_ != nullptr) {
        return window_;
    }
    if (parent_ != nullptr) {
        return parent_->TopWindow();
    }
    return root_ != nullptr ? root_->window() : nullptr;
}

QWidget* QtForm::PageHost() const {
    for (QWidget* widget : root_->findChildren<QWidget*>()) {
        if (widget->property("pageHost").toBool()) {
            return widget;
        }
    }
    return root_;
}

double QtForm::Scale() const {
    return MetricsScale(root_->font());
}

// --- texts and states ---

void QtForm::SetText(ControlId id, std::string_view text) {
    Control* c = Find(id);
    if (c == nullptr) {
        return;
    }
    const QString t = ToQ(text);
    QWidget* w = c->widget;
    Quiet quiet(*this);
    switch (c->kind) {
        case ControlKind::kLabel:
            if (auto* label = qobject_cast<QLabel*>(w)) {
                label->setText(t);
            }
            break;
        case ControlKind::kEdit:
            if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                edit->setText(t);
            } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
                plain->setPlainText(t);
            } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
                rich->setPlainText(t);
            }
            break;
        case ControlKind::kDropDown: {
            auto* combo = qobject_cast<QComboBox*>(w);
            const int index = combo->findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (index >= 0) {
                combo->setCurrentIndex(index);
            }
            break;
        }
        case ControlKind::kEditCombo:
            qobject_cast<QComboBox*>(w)->setEditText(t);
            break;
        case ControlKind::kRadio:
        case ControlKind::kCheckBox:
        case ControlKind::kPushButton:
        case ControlKind::kColourButton:
            qobject_cast<QAbstractButton*>(w)->setText(t);
            break;
        case ControlKind::kGroupBox:
            qobject_cast<QGroupBox*>(w)->setTitle(t);
            break;
        case ControlKind::kLamp:
            qobject_cast<Lamp*>(w)->setText(t);
            break;
        case ControlKind::kFrame:
            w->setProperty(kFrameTextProperty, t);
            break;
        default:
            break;
    }
}

std::string QtForm::Text(ControlId id) const {
    const Control* c = Find(id);
    if (c == nullptr) {
        return {};
    }
    QWidget* w = c->widget;
    switch (c->kind) {
        case ControlKind::kLabel:
            if (auto* label = qobject_cast<QLabel*>(w)) {
                return FromQ(label->text());
            }
            break;
        case ControlKind::kEdit:
            if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                return FromQ(edit->text());
            } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
                return FromQ(plain->toPlainText());
            } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
                return FromQ(rich->toPlainText());
            }
            break;
        case ControlKind::kDropDown: {
            auto* combo = qobject_cast<QComboBox*>(w);
            return combo->currentIndex() < 0 ? std::string() : FromQ(combo->currentText());
        }
        case ControlKind::kEditCombo:
            return FromQ(qobject_cast<QComboBox*>(w)->currentText());
        case ControlKind::kRadio:
        case ControlKind::kCheckBox:
        case ControlKind::kPushButton:
        case ControlKind::kColourButton:
            return FromQ(qobject_cast<QAbstractButton*>(w)->text());
        case ControlKind::kGroupBox:
            return FromQ(qobject_cast<QGroupBox*>(w)->title());
        case ControlKind::kLamp:
            return FromQ(qobject_cast<Lamp*>(w)->text());
        case ControlKind::kFrame:
            return FromQ(w->property(kFrameTextProperty).toString());
        default:
            break;
    }
    return {};
}

void QtForm::PutFocusAway(QWidget* leaving) {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr || leaving == nullptr ||
        (focus != leaving && !leaving->isAncestorOf(focus))) {
        return;
    }
    // The focus is put nowhere without an event, rather than passed on to a neighbour.
    factory_.SetFocusQuiet(true);
    focus->clearFocus();
    factory_.SetFocusQuiet(false);
    factory_.DropReportedFocus(this);
}

void QtForm::SetEnabled(ControlId id, bool enabled) {
    Control* c = Find(id);
    if (c == nullptr) {
        return;
    }
    if (!enabled) {
        PutFocusAway(c->widget);
    }
    if (c->kind == ControlKind::kGroupBox) {
        c->ownEnabled = enabled;
        ApplyColours(*c);
        return;
    }
    c->widget->setEnabled(enabled);
}

bool QtForm::IsEnabled(ControlId id) const {
    const Control* c = Find(id);
    if (c == nullptr) {
        return false;
    }
    if (c->kind == ControlKind::kGroupBox) {
        return c->ownEnabled;
    }
    return !c->widget->testAttribute(Qt::WA_ForceDisabled);
}

void QtForm::SetVisible(ControlId id, bool visible) {
    if (Control* c = Find(id)) {
        if (!visible) {
            PutFocusAway(c->widget);
        }
        c->widget->setVisible(visible);
        if (visible) {
            GrowWindowToFit();
        }
    }
}

void QtForm::GrowWindowToFit() {
    QWidget* window = TopWindow();
    if (window == nullptr || !window->isVisible() || window->layout() == nullptr) {
        return;
    }
    QLayout* layout = window->layout();
    layout->activate();
    const int width = window->width();
    // Word-wrapped texts need the height for the window's width, not their minimum.
    const int needed = layout->hasHeightForWidth() ? layout->totalHeightForWidth(width)
                                                   : layout->totalMinimumSize().height();
    if (needed > window->height()) {
        window->resize(width, needed);
    }
}

bool QtForm::IsVisible(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr && OwnVisible(*c->widget);
}

void QtForm::SetChecked(ControlId id, bool checked) {
    Control* c = Find(id);
    if (c == nullptr) {
        return;
    }
    if (c->kind == ControlKind::kColourButton) {
        qobject_cast<CColrBtn*>(c->widget)->setPressed(checked);
        return;
    }
    if (c->kind != ControlKind::kRadio && c->kind != ControlKind::kCheckBox) {
        return;
    }
    auto* button = qobject_cast<QAbstractButton*>(c->widget);
    Quiet quiet(*this);
    // Checking one radio leaves the others of its group alone; CheckRadio is for groups.
    const bool exclusive = button->autoExclusive();
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(exclusive);
}

bool QtForm::IsChecked(ControlId id) const {
    const Control* c = Find(id);
    if (c == nullptr) {
        return false;
    }
    if (c->kind == ControlKind::kColourButton) {
        return qobject_cast<CColrBtn*>(c->widget)->isPressed();
    }
    if (c->kind != ControlKind::kRadio && c->kind != ControlKind::kCheckBox) {
        return false;
    }
    return qobject_cast<QAbstractButton*>(c->widget)->isChecked();
}

void QtForm::CheckRadio(ControlId first, ControlId last, ControlId checked) {
    for (const auto& [id, c] : controls_) {
        if (id >= first && id <= last && c->kind == ControlKind::kRadio) {
            SetChecked(id, id == checked);
        }
    }
}

ControlId QtForm::CheckedRadio(ControlId first, ControlId last) const {
    for (const auto& [id, c] : controls_) {
        if (id >= first && id <= last && c->kind == ControlKind::kRadio && IsChecked(id)) {
            return id;
        }
    }
    return kNoControl;
}

// --- items ---

void QtForm::ClearItems(ControlId id) {
    Quiet quiet(*this);
    if (QComboBox* combo = Combo(id)) {
        combo->clear();
        if (combo->isEditable()) {
            combo->setEditText(QString());
        }
    } else if (auto* tabs = As<QTabBar>(id)) {
        while (tabs->count() > 0) {
            tabs->removeTab(0);
        }
    }
}

int QtForm::AddItem(ControlId id, std::string_view text) {
    return InsertItem(id, -1, text);
}

int QtForm::InsertItem(ControlId id, int index, std::string_view text) {
    Quiet quiet(*this);
    if (QComboBox* combo = Combo(id)) {
        if (index < 0 || index > combo->count()) {
            index = combo->count();
        }
        const int current = combo->currentIndex();
        const QString editText = combo->currentText();
        combo->insertItem(index, ToQ(text));
        // The toolkit makes the first item current; a list without one stays without one.
        if (current < 0) {
            combo->setCurrentIndex(-1);
        }
        if (combo->isEditable()) {
            combo->setEditText(editText);
        }
        return index;
    }
    if (auto* tabs = As<QTabBar>(id)) {
        if (index < 0 || index > tabs->count()) {
            index = tabs->count();
        }
        return tabs->insertTab(index, ToQ(text));
    }
    return -1;
}

void QtForm::RemoveItem(ControlId id, int index) {
    Quiet quiet(*this);
    if (QComboBox* combo = Combo(id)) {
        if (index < 0 || index >= combo->count()) {
            return;
        }
        const bool wasCurrent = index == combo->currentIndex();
        const QString editText = combo->currentText();
        combo->removeItem(index);
        if (wasCurrent) {
            combo->setCurrentIndex(-1);
        }
        if (combo->isEditable()) {
            combo->setEditText(editText);
        }
    } else if (auto* tabs = As<QTabBar>(id)) {
        if (index >= 0 && index < tabs->count()) {
            tabs->removeTab(index);
        }
    }
}

int QtForm::ItemCount(ControlId id) const {
    if (QComboBox* combo = Combo(id)) {
        return combo->count();
    }
    if (auto* tabs = As<QTabBar>(id)) {
        return tabs->count();
    }
    return 0;
}

std::string QtForm::ItemText(ControlId id, int index) const {
    if (QComboBox* combo = Combo(id); combo != nullptr && index >= 0 && index < combo->count()) {
        return FromQ(combo->itemText(index));
    }
    if (auto* tabs = As<QTabBar>(id); tabs != nullptr && index >= 0 && index < tabs->count()) {
        return FromQ(tabs->tabText(index));
    }
    return {};
}

int QtForm::CurrentItem(ControlId id) const {
    if (QComboBox* combo = Combo(id)) {
        return combo->currentIndex();
    }
    if (auto* tabs = As<QTabBar>(id)) {
        return tabs->currentIndex();
    }
    return -1;
}

void QtForm::SetCurrentItem(ControlId id, int index) {
    Quiet quiet(*this);
    if (QComboBox* combo = Combo(id)) {
        if (index < 0 || index >= combo->count()) {
            index = -1;
        }
        combo->setCurrentIndex(index);
        if (combo->isEditable()) {
            combo->setEditText(index < 0 ? QString() : combo->itemText(index));
        }
    } else if (auto* tabs = As<QTabBar>(id)) {
        if (index >= 0 && index < tabs->count()) {
            tabs->setCurrentIndex(index);
        }
    }
}

int QtForm::FindItem(ControlId id, std::string_view text) const {
    const QString t = ToQ(text);
    if (QComboBox* combo = Combo(id)) {
        return combo->findText(t, Qt::MatchExactly | Qt::MatchCaseSensitive);
    }
    if (auto* tabs = As<QTabBar>(id)) {
        for (int i = 0; i < tabs->count(); ++i) {
            if (tabs->tabText(i) == t) {
                return i;
            }
        }
    }
    return -1;
}

// --- lists ---

void QtForm::ListClearColumns(ControlId id) {
    if (ReportList* list = List(id)) {
        Quiet quiet(*this);
        list->ClearColumns();
        Find(id)->columns.clear();
    }
}

int QtForm::ListAddColumn(ControlId id, const ui::ListColumn& column) {
    ReportList* list = List(id);
    if (list == nullptr) {
        return -1;
    }
    Quiet quiet(*this);
    const int width = static_cast<int>(std::lround(column.width * Scale()));
    const int index = list->AddColumn(width, ToQ(column.heading), column.align);
    Find(id)->columns.push_back(column);
    return index;
}

int QtForm::ListColumnCount(ControlId id) const {
    ReportList* list = List(id);
    return list != nullptr ? list->columnCount() : 0;
}

ui::ListColumn QtForm::ListColumnAt(ControlId id, int column) const {
    const Control* c = List(id) != nullptr ? Find(id) : nullptr;
    if (c == nullptr || column < 0 || static_cast<std::size_t>(column) >= c->columns.size()) {
        return {};
    }
    return c->columns[static_cast<std::size_t>(column)];
}

void QtForm::ListSetCheckBoxes(ControlId id, bool on) {
    if (ReportList* list = List(id)) {
        list->SetCheckBoxes(on);
    }
}

bool QtForm::ListHasCheckBoxes(ControlId id) const {
    ReportList* list = List(id);
    return list != nullptr && list->CheckBoxes();
}

int QtForm::ListRowCount(ControlId id) const {
    ReportList* list = List(id);
    return list != nullptr ? list->rowCount() : 0;
}

int QtForm::ListInsertRow(ControlId id, int row) {
    ReportList* list = List(id);
    if (list == nullptr) {
        return -1;
    }
    Quiet quiet(*this);
    const int index = list->InsertRow(row);
    Find(id)->reportedRow = list->SelectedRow();
    return index;
}

void QtForm::ListDeleteRow(ControlId id, int row) {
    ReportList* list = List(id);
    if (list == nullptr || row < 0 || row >= list->rowCount()) {
        return;
    }
    Quiet quiet(*this);
    const bool wasSelected = list->SelectedRow() == row;
    list->removeRow(row);
    if (wasSelected) {
        list->SelectRow(-1);  // the toolkit would pass the selection on to the next row
    }
    Find(id)->reportedRow = list->SelectedRow();
}

void QtForm::ListClearRows(ControlId id) {
    if (ReportList* list = List(id)) {
        Quiet quiet(*this);
        list->setRowCount(0);
        Find(id)->reportedRow = -1;
    }
}

void QtForm::ListSetCell(ControlId id, int row, int column, std::string_view text) {
    if (ReportList* list = List(id)) {
        list->SetCell(row, column, ToQ(text));
    }
}

std::string QtForm::ListCell(ControlId id, int row, int column) const {
    ReportList* list = List(id);
    return list != nullptr ? FromQ(list->Cell(row, column)) : std::string();
}

void QtForm::ListSetCellColours(ControlId id, int row, int column, ui::Colours colours) {
    if (ReportList* list = List(id)) {
        list->SetCellColours(row, column, colours);
    }
}

ui::Colours QtForm::ListCellColours(ControlId id, int row, int column) const {
    ReportList* list = List(id);
    return list != nullptr ? list->CellColours(row, column) : ui::Colours{};
}

void QtForm::ListSetRowChecked(ControlId id, int row, bool checked) {
    if (ReportList* list = List(id)) {
        list->SetRowChecked(row, checked);
    }
}

bool QtForm::ListIsRowChecked(ControlId id, int row) const {
    ReportList* list = List(id);
    return list != nullptr && list->RowChecked(row);
}

int QtForm::ListSelectedRow(ControlId id) const {
    ReportList* list = List(id);
    return list != nullptr ? list->SelectedRow() : -1;
}

void QtForm::ListSelectRow(ControlId id, int row) {
    if (ReportList* list = List(id)) {
        Quiet quiet(*this);
        list->SelectRow(row);
        Find(id)->reportedRow = list->SelectedRow();
    }
}

void QtForm::ListEnsureVisible(ControlId id, int row) {
    if (ReportList* list = List(id);
        list != nullptr && row >= 0 && row < list->rowCount() && list->columnCount() > 0) {
        list->scrollToItem(list->item(row, 0));
    }
}

// --- ranges ---

void QtForm::SetRange(ControlId id, int min, int max) {
    const int lo = std::min(min, max);
    const int hi = std::max(min, max);
    Quiet quiet(*this);
    if (auto* slider = As<QSlider>(id)) {
        slider->setRange(lo, hi);
    } else if (auto* spin = As<SpinButton>(id)) {
        spin->setRange(lo, hi);
    } else if (auto* bar = As<QProgressBar>(id)) {
        const int position = std::clamp(bar->value(), lo, hi);
        bar->setRange(lo, hi);
        bar->setValue(position);
    }
}

ui::Range QtForm::GetRange(ControlId id) const {
    if (auto* slider = As<QSlider>(id)) {
        return {slider->minimum(), slider->maximum()};
    }
    if (auto* spin = As<SpinButton>(id)) {
        return {spin->minimum(), spin->maximum()};
    }
    if (auto* bar = As<QProgressBar>(id)) {
        return {bar->minimum(), bar->maximum()};
    }
    return {};
}

void QtForm::SetPosition(ControlId id, int position) {
    Quiet quiet(*this);
    if (auto* slider = As<QSlider>(id)) {
        slider->setValue(position);
    } else if (auto* spin = As<SpinButton>(id)) {
        spin->setValue(position);
    } else if (auto* bar = As<QProgressBar>(id)) {
        // The toolkit ignores a value outside the range; presenters expect it limited.
        bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    }
}

int QtForm::Position(ControlId id) const {
    if (auto* slider = As<QSlider>(id)) {
        return slider->value();
    }
    if (auto* spin = As<SpinButton>(id)) {
        return spin->value();
    }
    if (auto* bar = As<QProgressBar>(id)) {
        return bar->value();
    }
    return 0;
}

void QtForm::SetStep(ControlId id, int step) {
    if (auto* slider = As<QSlider>(id)) {
        slider->setSingleStep(step);
    } else if (auto* spin = As<SpinButton>(id)) {
        spin->setSingleStep(step);
    }
}

int QtForm::Step(ControlId id) const {
    if (auto* slider = As<QSlider>(id)) {
        return slider->singleStep();
    }
    if (auto* spin = As<SpinButton>(id)) {
        return spin->singleStep();
    }
    return 0;
}

void QtForm::SetTickInterval(ControlId id, int interval) {
    if (auto* slider = As<QSlider>(id)) {
        slider->setTickInterval(std::max(interval, 0));
        slider->setTickPosition(interval > 0 ? QSlider::TicksBelow : QSlider::NoTicks);
    }
}

// --- focus ---

void QtForm::SetFocus(ControlId id) {
    if (Control* c = Find(id); c != nullptr && c->widget->isEnabled() && OwnVisible(*c->widget)) {
        c->widget->setFocus(Qt::OtherFocusReason);
    }
}

ControlId QtForm::FocusedControl() const {
    QWidget* top = TopWindow();
    QWidget* focus = QApplication::focusWidget();
    if ((focus == nullptr || focus->window() != top) && top != nullptr) {
        focus = top->focusWidget();
    }
    const auto [owner, id] = factory_.OwnerOf(focus);
    return owner == this ? id : kNoControl;
}

void QtForm::MoveFocus(bool backwards) {
    QWidget* top = TopWindow();
    if (top == nullptr) {
        return;
    }
    QWidget* start = top->focusWidget() != nullptr ? top->focusWidget() : root_.data();
    QWidget* w = start;
    for (int guard = 0; guard < 10000; ++guard) {
        w = backwards ? w->previousInFocusChain() : w->nextInFocusChain();
        if (w == nullptr || w == start) {
            return;
        }
        if (w->window() == top && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled() &&
            w->isVisible() && factory_.OwnerOf(w).first == this) {
            w->setFocus(backwards ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return;
        }
    }
}

void QtForm::SelectAllText(ControlId id) {
    const Control* c = Find(id);
    if (c == nullptr) {
        return;
    }
    QLineEdit* edit = nullptr;
    if (c->kind == ControlKind::kEdit) {
        edit = qobject_cast<QLineEdit*>(c->widget);
        if (auto* plain = qobject_cast<QPlainTextEdit*>(c->widget)) {
            plain->selectAll();
        }
    } else if (c->kind == ControlKind::kEditCombo) {
        edit = qobject_cast<QComboBox*>(c->widget)->lineEdit();
    }
    if (edit != nullptr) {
        edit->selectAll();
        // Again once the event that brought the focus is done: a click would undo it.
        QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
    }
}

// --- look ---

void QtForm::ApplyColours(Control& c) {
    QWidget* w = c.widget;
    switch (c.kind) {
        case ControlKind::kLamp:
            qobject_cast<Lamp*>(w)->setColours(c.colours);
            return;
        case ControlKind::kColourButton:
            qobject_cast<CColrBtn*>(w)->setColours(c.colours);
            return;
        case ControlKind::kSlider:
            if (auto* slider = qobject_cast<PaletteSlider*>(w)) {
                slider->setChannelColour(c.colours.IsDefault()
                                             ? QColor()
                                             : PaletteColour(c.colours.background, c.palette));
            }
            return;
        default:
            break;
    }
    QPalette palette = c.palette;
    if (!c.colours.IsDefault()) {
        const QColor background = PaletteColour(c.colours.background, c.palette);
        const QColor text = PaletteColour(c.colours.text, c.palette);
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
                palette.setColor(group, role, background);
            }
            for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
                palette.setColor(group, role, text);
            }
        }
    }
    if (c.kind == ControlKind::kGroupBox && !c.ownEnabled) {
        const QColor grey = c.palette.color(QPalette::Disabled, QPalette::WindowText);
        palette.setColor(QPalette::Active, QPalette::WindowText, grey);
        palette.setColor(QPalette::Inactive, QPalette::WindowText, grey);
    }
    w->setPalette(palette);
    w->setAutoFillBackground(c.colours.IsDefault() ? c.autoFill : NeedsBackgroundFill(c.kind));
}

void QtForm::SetColours(ControlId id, ui::Colours colours) {
    if (Control* c = Find(id)) {
        c->colours = colours;
        ApplyColours(*c);
    }
}

ui::Colours QtForm::GetColours(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr ? c->colours : ui::Colours{};
}

void QtForm::SetFont(ControlId id, int fontIndex) {
    Control* c = Find(id);
    if (c == nullptr || fontIndex < 0 || fontIndex > 14) {
        return;
    }
    c->font = fontIndex;
    c->widget->setFont(PaletteFont(fontIndex, root_->font(), factory_.Options().japanese));
}

int QtForm::Font(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr ? c->font : 0;
}

void QtForm::SetPicture(ControlId id, int resource) {
    Control* c = Find(id);
    if (c == nullptr || !ui::HasPictureOf(c->kind)) {
        return;
    }
    c->picture = resource;
    const QString file = FindPictureFile(resource, factory_.Options().pictureFolders);
    if (auto* picture = qobject_cast<PictureLabel*>(c->widget)) {
        picture->setPicture(resource, file);
    } else if (auto* button = qobject_cast<QAbstractButton*>(c->widget)) {
        button->setIcon(file.isEmpty() ? QIcon() : QIcon(file));
    } else if (auto* label = qobject_cast<QLabel*>(c->widget)) {
        label->setPixmap(file.isEmpty() ? QPixmap()
                                        : QIcon(file).pixmap(label->fontMetrics().height() * 2));
    }
}

int QtForm::Picture(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr ? c->picture : 0;
}

void QtForm::SetToolTip(ControlId id, std::string_view text) {
    if (Control* c = Find(id)) {
        c->widget->setToolTip(ToQ(text));
    }
}

std::string QtForm::ToolTip(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr ? FromQ(c->widget->toolTip()) : std::string();
}

void QtForm::SetHeight(ControlId id, int height) {
    Control* c = Find(id);
    if (c == nullptr) {
        return;
    }
    c->height = std::max(height, 0);
    if (c->height > 0) {
        c->widget->setFixedHeight(static_cast<int>(std::lround(c->height * Scale())));
    } else {
        c->widget->setMinimumHeight(0);
        c->widget->setMaximumHeight(QWIDGETSIZE_MAX);
    }
}

int QtForm::Height(ControlId id) const {
    const Control* c = Find(id);
    return c != nullptr ? c->height : 0;
}

// --- window ---

void QtForm::SetTitle(std::string_view title) {
    title_ = title;
    if (window_ != nullptr) {
        window_->setWindowTitle(ToQ(title));
    }
}

void QtForm::SetWindowVisible(bool visible) {
    QWidget* w = window_ != nullptr ? static_cast<QWidget*>(window_.data()) : root_.data();
    if (w == nullptr) {
        return;
    }
    if (!visible) {
        PutFocusAway(w);
    }
    w->setVisible(visible);
}

bool QtForm::IsWindowVisible() const {
    if (window_ != nullptr) {
        return window_->isVisible();
    }
    return root_ != nullptr && OwnVisible(*root_);
}

void QtForm::SetWindowEnabled(bool enabled) {
    if (root_ == nullptr) {
        return;
    }
    if (!enabled) {
        PutFocusAway(root_);
    }
    // The form's own widgets, not its window: windows opened from it stay usable.
    root_->setEnabled(enabled);
}

bool QtForm::IsWindowEnabled() const {
    return root_ != nullptr && !root_->testAttribute(Qt::WA_ForceDisabled);
}

void QtForm::SetWindowColours(ui::Colours colours) {
    if (root_ == nullptr) {
        return;
    }
    if (colours.IsDefault()) {
        root_->setPalette(QPalette());
        root_->setAutoFillBackground(false);
        return;
    }
    QPalette palette = root_->palette();
    palette.setColor(QPalette::Window, PaletteColour(colours.background, root_->palette()));
    root_->setPalette(palette);
    root_->setAutoFillBackground(true);
}

void QtForm::SetRedraw(bool on) {
    if (root_ != nullptr) {
        root_->setUpdatesEnabled(on);
        if (on) {
            root_->update();
        }
    }
}

void QtForm::SetSystemMenu(std::span<const ui::MenuItem> items) {
    systemMenu_.assign(items.begin(), items.end());
    systemActions_.clear();
    if (window_ == nullptr) {
        return;
    }
    if (menuBar_ == nullptr) {
        menuBar_ = MakeQtOwned<QMenuBar>(window_.data());
        window_->layout()->setMenuBar(menuBar_);
    }
    menuBar_->clear();
    for (const ui::MenuItem& item : systemMenu_) {
        if (item.command == 0) {
            menuBar_->addSeparator();
            systemActions_.emplace_back();
            continue;
        }
        QAction* action = menuBar_->addAction(ToQ(item.text));
        action->setEnabled(item.enabled);
        const int command = item.command;
        QObject::connect(action, &QAction::triggered, menuBar_, [this, command] {
            Emit([&](ui::FormEvents& l) { l.OnSystemCommand(command); });
        });
        systemActions_.emplace_back(action);
    }
}

void QtForm::EnableSystemMenuItem(int command, bool enabled) {
    for (std::size_t i = 0; i < systemMenu_.size(); ++i) {
        if (systemMenu_[i].command == command && command != 0) {
            systemMenu_[i].enabled = enabled;
            if (i < systemActions_.size() && systemActions_[i] != nullptr) {
                systemActions_[i]->setEnabled(enabled);
            }
        }
    }
}

bool QtForm::IsSystemMenuItemEnabled(int command) const {
    for (const auto& item : systemMenu_) {
        if (item.command == command && command != 0) {
            return item.enabled;
        }
    }
    return false;
}

int QtForm::RunModal() {
    if (kind_ != ui::FormKind::kModal || window_ == nullptr) {
        return -1;
    }
    if (ended_) {
        return result_;
    }
    running_ = true;
    window_->setWindowModality(Qt::ApplicationModal);
    QPointer<FormWindow> window = window_;
    window->exec();
    running_ = false;
    return ended_ ? result_ : ui::kIdCancel;
}

void QtForm::EndModal(int result) {
    ended_ = true;
    result_ = result;
    if (window_ == nullptr) {
        return;
    }
    if (running_) {
        window_->done(result);
    } else {
        window_->hide();
    }
}

int QtForm::PopupMenu(std::span<const ui::MenuItem> items, ui::ScreenPoint at) {
    QMenu menu(TopWindow());
    for (const ui::MenuItem& item : items) {
        if (item.command == 0) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(ToQ(item.text));
        action->setData(item.command);
        action->setEnabled(item.enabled);
    }
    const QAction* chosen = menu.exec(QPoint(at.x, at.y));
    return chosen != nullptr ? chosen->data().toInt() : 0;
}

void QtForm::EmitFocusIn(ControlId id) {
    Emit([&](ui::FormEvents& l) { l.OnFocusIn(id); });
}

void QtForm::EmitFocusOut(ControlId id) {
    Emit([&](ui::FormEvents& l) { l.OnFocusOut(id); });
}

// --- window input ---

std::vector<QtForm*> QtForm::ChainFrom(QtForm* owner) {
    std::vector<QtForm*> chain;
    for (QtForm* f = owner; f != nullptr; f = f->parent_) {
        chain.push_back(f);
        if (f == this) {
            return chain;
        }
    }
    if (std::find(chain.begin(), chain.end(), this) == chain.end()) {
        chain.push_back(this);
    }
    return chain;
}

bool QtForm::FilterWindowEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return HandleMouse(*static_cast<QMouseEvent*>(event));
        case QEvent::KeyPress:
            return HandleKey(*static_cast<QKeyEvent*>(event));
        default:
            return false;
    }
}

bool QtForm::HandleMouse(QMouseEvent& event) {
    // With a drop-down list or a menu open, the mouse belongs to it, whichever window the
    // platform delivers to.
    if (QApplication::activePopupWidget() != nullptr) {
        return false;
    }
    QWidget* top = window_;
    const QPoint pos = event.position().toPoint();
    QWidget* target = nullptr;
    if (top->rect().contains(pos)) {
        target = top->childAt(pos);
        if (target == nullptr) {
            target = top;
        }
    }
    // A disabled control does not see the mouse; what lies under it does.
    while (target != nullptr && target != top && !target->isEnabled()) {
        target = target->parentWidget();
    }
    auto [owner, id] = factory_.OwnerOf(target);
    if (owner == nullptr) {
        owner = this;
        id = kNoControl;
    }
    const std::vector<QtForm*> chain = ChainFrom(owner);

    ReportList* list = nullptr;
    int row = -1;
    int column = -1;
    if (ReportList* candidate = owner->List(id)) {
        const QPoint at = candidate->viewport()->mapFrom(top, pos);
        if (candidate->viewport()->rect().contains(at)) {
            list = candidate;
            const QModelIndex index = list->indexAt(at);
            row = index.isValid() ? index.row() : -1;
            column = index.isValid() ? index.column() : list->columnAt(at.x());
        }
    }
    const bool left = event.button() == Qt::LeftButton;

    switch (event.type()) {
        case QEvent::MouseMove:
            for (QtForm* f : chain) {
                f->Emit([&](ui::FormEvents& l) { l.OnMouseMove(id); });
            }
            return false;
        case QEvent::MouseButtonPress: {
            if (left) {
                afterDoubleClick_ = false;
                for (QtForm* f : chain) {
                    bool consumed = false;
                    f->Emit([&](ui::FormEvents& l) { consumed = l.OnMouseDown(id); });
                    if (consumed) {
                        pressSwallowed_ = true;
                        return true;
                    }
                }
            }
            if (list != nullptr && row < 0 && (left || event.button() == Qt::RightButton)) {
                // Below the rows the selection stays as it is; the list still takes the focus.
                list->setFocus(Qt::MouseFocusReason);
                return true;
            }
            return false;
        }
        case QEvent::MouseButtonRelease:
            if (left) {
                for (QtForm* f : chain) {
                    f->Emit([&](ui::FormEvents& l) { l.OnMouseUp(id); });
                }
                if (pressSwallowed_) {
                    pressSwallowed_ = false;
                    return true;
                }
                if (afterDoubleClick_) {
                    afterDoubleClick_ = false;
                    return false;
                }
                if (list != nullptr) {
                    owner->Emit([&](ui::FormEvents& l) { l.OnListClick(id, row, column); });
                }
            } else if (event.button() == Qt::RightButton && list != nullptr) {
                const QPoint global = event.globalPosition().toPoint();
                owner->Emit([&](ui::FormEvents& l) {
                    l.OnListRightClick(id, row, column, {global.x(), global.y()});
                });
            }
            return false;
        case QEvent::MouseButtonDblClick: {
            if (!left) {
                return false;
            }
            if (list != nullptr) {
                afterDoubleClick_ = true;
                owner->Emit([&](ui::FormEvents& l) { l.OnListDoubleClick(id, row, column); });
                return false;
            }
            for (QtForm* f : chain) {
                bool consumed = false;
                f->Emit([&](ui::FormEvents& l) { consumed = l.OnDoubleClick(id); });
                if (consumed) {
                    return true;
                }
            }
            return false;
        }
        default:
            return false;
    }
}

bool QtForm::HandleKey(QKeyEvent& event) {
    QWidget* focus = QApplication::focusWidget();
    if (focus != nullptr && focus->window() != window_.data()) {
        focus = nullptr;
    }
    auto [owner, id] = factory_.OwnerOf(focus);
    if (owner == nullptr) {
        owner = this;
        id = kNoControl;
    }
    const int key = VirtualKey(event);
    const ui::KeyModifiers mods = Modifiers(event);
    for (QtForm* f : ChainFrom(owner)) {
        bool consumed = false;
        f->Emit([&](ui::FormEvents& l) { consumed = l.OnKeyDown(id, key, mods); });
        if (consumed) {
            return true;
        }
    }
    if (key == ui::key::kReturn) {
        owner->DefaultReturn(focus);
        return true;
    }
    if (key == ui::key::kEscape) {
        if (owner->IsWindowEnabled()) {
            owner->Emit([&](ui::FormEvents& l) { l.OnClicked(ui::kIdCancel); });
        }
        return true;
    }
    return false;
}

void QtForm::DefaultReturn(QWidget* focus) {
    if (!IsWindowEnabled()) {
        return;
    }
    const auto usable = [](const Control* c) {
        return c != nullptr && c->widget->isEnabled() && OwnVisible(*c->widget);
    };
    if (const auto [owner, id] = factory_.OwnerOf(focus); owner == this && id != kNoControl) {
        const Control* c = Find(id);
        if (usable(c) &&
            (c->kind == ControlKind::kPushButton || c->kind == ControlKind::kColourButton)) {
            qobject_cast<QAbstractButton*>(c->widget)->click();
            return;
        }
    }
    if (defaultButton_ != kNoControl) {
        if (const Control* c = Find(defaultButton_); usable(c)) {
            qobject_cast<QAbstractButton*>(c->widget)->click();
        }
        return;
    }
    Emit([&](ui::FormEvents& l) { l.OnClicked(ui::kIdOk); });
}

}  // namespace tavro::qt
