#include "ui/qt/QtFormFactory.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QVBoxLayout>
#include <QWidget>

#include "ui/qt/FormLoader.h"
#include "ui/qt/FormWindow.h"
#include "ui/qt/QtForm.h"
#include "ui/qt/QtOwnership.h"

namespace tavro::qt {

QtFormFactory::QtFormFactory(QtFormOptions options) : options_(std::move(options)) {
    focusConnection_ = QObject::connect(qApp, &QApplication::focusChanged, &context_,
                                        [this](QWidget*, QWidget* now) { OnFocusChanged(now); });
}

QtFormFactory::~QtFormFactory() = default;

std::unique_ptr<ui::Form> QtFormFactory::Create(int templateId, ui::Form* parent,
                                                ui::FormKind kind) {
    QStringList candidates;
    if (!options_.formsFolder.isEmpty()) {
        candidates << QStringLiteral("%1/%2.ui").arg(options_.formsFolder).arg(templateId);
    }
    candidates << QStringLiteral(":/forms/%1.ui").arg(templateId);
    for (const QString& path : candidates) {
        if (QFileInfo::exists(path)) {
            return CreateFromFile(path, parent, kind);
        }
    }
    return nullptr;
}

std::unique_ptr<QtForm> QtFormFactory::CreateFromFile(const QString& path, ui::Form* parent,
                                                      ui::FormKind kind) {
    auto* parentForm = dynamic_cast<QtForm*>(parent);
    if ((parent != nullptr && parentForm == nullptr) ||
        (kind == ui::FormKind::kPage && parentForm == nullptr)) {
        return nullptr;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("cannot open the form file %s", qUtf8Printable(path));
        return nullptr;
    }
    FormLoader loader;
    if (kind == ui::FormKind::kPage) {
        QWidget* host = parentForm->PageHost();
        QWidget* root = loader.load(&file, host);
        if (root == nullptr) {
            qWarning("%s: %s", qUtf8Printable(path), qUtf8Printable(loader.errorString()));
            return nullptr;
        }
        if (root->isWindow()) {
            root->setWindowFlags(Qt::Widget);
        }
        // Pages share one place; the largest decides its size, whichever is shown.
        QSizePolicy policy = root->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        root->setSizePolicy(policy);
        QLayout* layout = host->layout();
        if (layout == nullptr) {
            auto* grid = MakeQtOwned<QGridLayout>(host);
            grid->setContentsMargins(0, 0, 0, 0);
            layout = grid;
        }
        if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
            grid->addWidget(root, 0, 0);
        } else {
            layout->addWidget(root);
        }
        return std::make_unique<QtForm>(*this, root, nullptr, parentForm, kind);
    }
    // A window with a parent window belongs to it (Qt deletes it with the parent); the form
    // deletes it first whenever it goes first.
    auto* window =
        MakeQtOwned<FormWindow>(parentForm != nullptr ? parentForm->TopWindow() : nullptr);
    auto* layout = MakeQtOwned<QVBoxLayout>(window);
    layout->setContentsMargins(0, 0, 0, 0);
    QWidget* root = loader.load(&file, window);
    if (root == nullptr) {
        qWarning("%s: %s", qUtf8Printable(path), qUtf8Printable(loader.errorString()));
        std::unique_ptr<FormWindow> discard(window);
        return nullptr;
    }
    if (root->isWindow()) {
        root->setWindowFlags(Qt::Widget);
    }
    layout->addWidget(root);
    return std::make_unique<QtForm>(*this, root, window, parentForm, kind);
}

void QtFormFactory::Register(QtForm* form, QWidget* root, QWidget* window) {
    live_.insert(form);
    for (QWidget* widget : {root, window}) {
        if (widget == nullptr) {
            continue;
        }
        roots_[widget] = form;
        QObject::connect(widget, &QObject::destroyed, &context_,
                         [this, widget] { roots_.erase(widget); });
    }
}

void QtFormFactory::Unregister(QtForm* form) {
    live_.erase(form);
    for (auto it = roots_.begin(); it != roots_.end();) {
        it = it->second == form ? roots_.erase(it) : std::next(it);
    }
    DropReportedFocus(form);
}

void QtFormFactory::DropReportedFocus(const QtForm* form) {
    if (reportedForm_ == form) {
        reportedForm_ = nullptr;
        reportedId_ = ui::kNoControl;
    }
}

std::pair<QtForm*, ui::ControlId> QtFormFactory::OwnerOf(const QWidget* widget) const {
    ui::ControlId id = ui::kNoControl;
    bool idSeen = false;
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (const auto it = roots_.find(w); it != roots_.end()) {
            QtForm* form = it->second;
            return {form, form->HasControl(id) ? id : ui::kNoControl};
        }
        if (!idSeen) {
            const QVariant value = w->property("controlId");
            if (value.isValid()) {
                id = value.toInt();
                idSeen = true;
            }
        }
    }
    return {nullptr, ui::kNoControl};
}

void QtFormFactory::OnFocusChanged(QWidget* now) {
    if (focusQuiet_) {
        return;
    }
    const auto [form, id] = OwnerOf(now);
    if (reportedForm_ != nullptr && (reportedForm_ != form || reportedId_ != id)) {
        QtForm* leaving = reportedForm_;
        const ui::ControlId leavingId = reportedId_;
        reportedForm_ = nullptr;
        reportedId_ = ui::kNoControl;
        if (live_.count(leaving) != 0) {
            leaving->EmitFocusOut(leavingId);
        }
    }
    if (QApplication::focusWidget() != now) {
        return;  // a focus-out handler sent the focus somewhere else
    }
    if (form != nullptr && id != ui::kNoControl && (reportedForm_ != form || reportedId_ != id)) {
        reportedForm_ = form;
        reportedId_ = id;
        form->EmitFocusIn(id);
    }
}

}  // namespace tavro::qt
