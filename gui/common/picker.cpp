#include "gui/common/picker.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QKeyEvent>
#include <QLineEdit>
#include <QValidator>

#include "core/editing/pickers.h"
#include "gui/common/qt_setup.h"

namespace vz::gui {

namespace {

// Lets through only text that is, or may still become, a value the picker
// takes.
class LookupValidator : public QValidator {
  public:
    explicit LookupValidator(const Picker* picker) : QValidator(nullptr), picker_(picker) {}

    State validate(QString& input, int&) const override {
        switch (editing::typingState(picker_->codes(), str(input), picker_->stored())) {
            case editing::Typing::Acceptable:
                return Acceptable;
            case editing::Typing::Intermediate:
                return Intermediate;
            case editing::Typing::Invalid:
                break;
        }
        return Invalid;
    }

  private:
    const Picker* picker_;
};

}  // namespace

Picker::Picker(Mode mode, const QStringList& items, QWidget* parent)
    : QComboBox(parent), mode_(mode) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    addItems(items);
    items_.reserve(static_cast<std::size_t>(items.size()));
    for (const QString& item : items) {
        items_.push_back(str(item));
    }
    if (mode_ == Mode::LookupOnly) {
        // No completion as one types: "A" must not become "AA".
        setCompleter(nullptr);
        auto* validator = new LookupValidator(this);
        validator->setParent(this);
        lineEdit()->setValidator(validator);
    } else {
        completer()->setCaseSensitivity(Qt::CaseInsensitive);
        completer()->setCompletionMode(QCompleter::InlineCompletion);
    }
    view()->installEventFilter(this);
    view()->viewport()->installEventFilter(this);
}

void Picker::setStored(const std::optional<std::string>& stored) {
    stored_ = stored;
}

void Picker::showPopup() {
    QComboBox::showPopup();
    // The list stands on the typed match; the view's own focus handling
    // would otherwise put it on the first row.
    const auto row = editing::matchRow(items_, str(currentText()));
    matched_ = row.has_value();
    userMoved_ = false;
    if (row) {
        view()->setCurrentIndex(model()->index(static_cast<int>(*row), modelColumn()));
        view()->scrollTo(view()->currentIndex(), QAbstractItemView::PositionAtCenter);
    }
}

bool Picker::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Up:
            case Qt::Key_Down:
            case Qt::Key_PageUp:
            case Qt::Key_PageDown:
            case Qt::Key_Home:
            case Qt::Key_End:
                userMoved_ = true;
                break;
            case Qt::Key_Enter:
            case Qt::Key_Return:
                if (!matched_ && !userMoved_) {
                    // Nothing matched and nothing was chosen: the typed text stays.
                    hidePopup();
                    return true;
                }
                break;
            default:
                break;
        }
    } else if (event->type() == QEvent::MouseMove && watched == view()->viewport()) {
        userMoved_ = true;
    }
    return QComboBox::eventFilter(watched, event);
}

}  // namespace vz::gui
