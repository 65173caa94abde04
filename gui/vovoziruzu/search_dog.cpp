#include "gui/vovoziruzu/search_dog.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "gui/common/messages.h"
#include "gui/common/qt_setup.h"
#include "gui/vovoziruzu/edit_dogs.h"

namespace vz::gui {

namespace {

std::function<void()>& beepSlot() {
    static std::function<void()> beep;
    return beep;
}

void beep() {
    if (beepSlot()) {
        beepSlot()();
    } else {
        QApplication::beep();
    }
}

}  // namespace

void SearchDog::setBeepHandler(std::function<void()> handler) {
    beepSlot() = std::move(handler);
}

SearchDog::SearchDog(EditDogs* editor, QWidget* parent) : QDialog(parent), editor_(editor) {
    setObjectName("Search");
    setWindowTitle(QStringLiteral("Search for a Dog"));
    setModal(true);

    auto* label1 = new QLabel(QStringLiteral("Name of Dog:"), this);
    label1->setObjectName("Label1");
    txtSearchString_ = new QLineEdit(this);
    txtSearchString_->setObjectName("txtSearchString");
    txtSearchString_->setMinimumWidth(twipsToPixelsX(3200));
    label1->setBuddy(txtSearchString_);
    auto* label2 = new QLabel(QStringLiteral("(full name or first characters)"), this);
    label2->setObjectName("Label2");
    lblNotFound_ = new QLabel(QStringLiteral("Not found."), this);
    lblNotFound_->setObjectName("Label3");
    lblNotFound_->setStyleSheet(QStringLiteral("color: #c00000; font-weight: bold;"));
    lblNotFound_->hide();

    auto makeButton = [this](const char* name, const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    cmdFind_ = makeButton("cmdFind", QStringLiteral("&Find First"));
    cmdFindNext_ = makeButton("cmdFindNext", QStringLiteral("Find &Next"));
    cmdFindPrev_ = makeButton("cmdFindPrev", QStringLiteral("Find &Previous"));
    cmdClose_ = makeButton("cmdClose", QStringLiteral("&Close"));

    auto* fields = new QGridLayout;
    fields->addWidget(label1, 0, 0);
    fields->addWidget(txtSearchString_, 0, 1);
    fields->addWidget(label2, 1, 1);
    fields->addWidget(lblNotFound_, 2, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdFind_);
    buttons->addWidget(cmdFindNext_);
    buttons->addWidget(cmdFindPrev_);
    buttons->addWidget(cmdClose_);
    buttons->addStretch(1);
    auto* all = new QHBoxLayout(this);
    all->addLayout(fields, 1);
    all->addLayout(buttons);

    connect(cmdFind_, &QPushButton::clicked, this, &SearchDog::findFirst);
    connect(cmdFindNext_, &QPushButton::clicked, this, &SearchDog::findNext);
    connect(cmdFindPrev_, &QPushButton::clicked, this, &SearchDog::findPrevious);
    connect(cmdClose_, &QPushButton::clicked, this, &SearchDog::accept);
    // A changed text starts a new search on Enter.
    connect(txtSearchString_, &QLineEdit::textChanged, this, [this] { setDefault(cmdFind_); });
    txtSearchString_->installEventFilter(this);

    // Placement: offset from the dog editor, which lies in the main window.
    if (editor_) {
        QWidget* frame = qobject_cast<QMdiSubWindow*>(editor_->parentWidget())
                             ? editor_->parentWidget()
                             : static_cast<QWidget*>(editor_);
        const QPoint origin = frame->mapToGlobal(QPoint(0, 0));
        move(origin + QPoint(twipsToPixelsX(4600), twipsToPixelsY(1300)));
    }
    setDefault(cmdFind_);
}

void SearchDog::setDefault(QPushButton* button) {
    for (QPushButton* b : {cmdFind_, cmdFindNext_, cmdFindPrev_, cmdClose_}) {
        b->setDefault(b == button);
    }
}

void SearchDog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    lblNotFound_->hide();
    txtSearchString_->setFocus();
    txtSearchString_->selectAll();
}

bool SearchDog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtSearchString_ && event->type() == QEvent::FocusIn) {
        // After the click that gave the focus has placed the cursor.
        QPointer<QLineEdit> e = txtSearchString_;
        QTimer::singleShot(0, this, [e] {
            if (e) {
                e->selectAll();
            }
        });
    }
    return QDialog::eventFilter(watched, event);
}

void SearchDog::findFirst() {
    find(Direction::First);
}

void SearchDog::findNext() {
    find(Direction::Next);
}

void SearchDog::findPrevious() {
    find(Direction::Previous);
}

void SearchDog::find(Direction direction) {
    lblNotFound_->hide();
    cmdClose_->setEnabled(false);
    if (direction == Direction::First) {
        setDefault(cmdFindNext_);
        txtSearchString_->setFocus();
    }
    try {
        const std::string text = str(txtSearchString_->text());
        const auto& browser = editor_->browser();
        const auto& current = editor_->currentDog();
        std::optional<base::Dog> found;
        switch (direction) {
            case Direction::First:
                found = browser.firstMatch(text);
                break;
            case Direction::Next:
                if (current) {
                    found = browser.nextMatch(current->rowId, text);
                }
                break;
            case Direction::Previous:
                if (current) {
                    found = browser.previousMatch(current->rowId, text);
                }
                break;
        }
        if (found) {
            editor_->moveToDog(*found);
        } else {
            lblNotFound_->show();
            beep();
        }
    } catch (const std::exception& e) {
        showCommonError(this, e);
    }
    cmdClose_->setEnabled(true);
}

}  // namespace vz::gui
