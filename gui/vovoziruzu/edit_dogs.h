#pragma once

// The dog editor `EditDogs` ("Dogs"): one dog of the dog database at a time
// with the grid of its race lines, newest first. It writes straight into the
// dog database; the dogs are never all loaded, every move is one query.

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

#include "core/base/paths.h"
#include "core/base/records.h"
#include "core/editing/pickers.h"
#include "core/editing/records.h"
#include "core/store/dog_browser.h"
#include "core/store/dog_database.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMdiArea;
class QMdiSubWindow;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QToolButton;

namespace vz::gui {

class Picker;
class RaceLineModel;
class RaceLineGrid;

class EditDogs : public QWidget {
    Q_OBJECT

  public:
    // Opens the databases; throws vz::Error when one cannot be opened.
    explicit EditDogs(const base::AppPaths& paths, QWidget* parent = nullptr);
    ~EditDogs() override;

    // The current dog as stored, if any; its 0-based position; dog count.
    const std::optional<base::Dog>& currentDog() const { return current_; }
    std::int64_t position() const { return position_; }
    std::int64_t dogCount() const { return count_; }
    QString positionCaption() const;

    // Moves of the dog list (the data control's buttons and keys). Each saves
    // the current dog first.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    // Makes a stored dog the current one (the search window's finds).
    void moveToDog(const base::Dog& dog);

    const store::DogBrowser& browser() const { return *browser_; }
    store::DogDatabase& database() { return *db_; }

    // The commands, as the buttons run them.
    void addDog();
    void deleteDog();
    void reSort();
    void search();
    void addRaceLine();
    void deleteCurrentLine();
    void resortLines();

    // Saves pending edits of the current dog. False when a field holds text
    // it cannot take (the message names it, every edit stays and the field
    // is selected) or the database refused the row (the message has been
    // shown and the fields show the stored dog again).
    bool saveCurrentDog();
    // Commits an open cell edit and the dog's fields without a message (exit).
    void savePendingQuietly();

    // The size the editor wants: a 30-character name and eight lines shown.
    QSize sizeHint() const override;

    // Controls, for the windows that work with the editor and for tests.
    QLineEdit* nameField() const { return name_; }
    QLineEdit* startsField() const { return starts_; }
    QLineEdit* firstsField() const { return firsts_; }
    QLineEdit* secondsField() const { return seconds_; }
    QLineEdit* thirdsField() const { return thirds_; }
    QPlainTextEdit* commentsBox() const { return comments_; }
    QLabel* commentRoomLabel() const { return commentRoom_; }
    // The dog's fields a user types in: name, the four counts, comments.
    std::array<QWidget*, 6> typedFieldWidgets() const;
    QComboBox* styleBox() const;
    QTableView* grid() const;
    RaceLineModel* lineModel() const { return lineModel_; }
    QLabel* captionLabel() const { return datCaption_; }

  signals:
    // The editor has agreed to close, its edits saved; it is still shown.
    void closing();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void installKeyFilter(QWidget* root);
    bool handleKey(QKeyEvent* key);
    void currentDogChanged();
    void showDogFields();
    void setFieldsEnabled(bool on);
    void setCurrent(std::optional<base::Dog> dog, std::optional<std::int64_t> position = {});
    editing::DogFields typedFields() const;
    bool saveDog(bool quiet);
    void selectField(const std::string& name);
    void closeWindow();
    int topHeight() const;
    void nameFocusIn();
    void nameFocusOut();
    void commentsFocusOut();
    void showCommentRoom();
    void finishGridEdit();
    void applyMaximiseRule();
    void saveLine(const base::RaceLine& line);
    void reportError(const std::exception& e);

    base::AppPaths paths_;
    std::unique_ptr<store::DogDatabase> db_;
    std::unique_ptr<store::DogBrowser> browser_;
    editing::Lookups lookups_;

    std::optional<base::Dog> current_;
    std::int64_t position_ = 0;
    std::int64_t count_ = 0;
    bool destroying_ = false;
    QString originalValue_;  // the name as it was when the name field got the focus

    std::array<QLineEdit*, 4> counts() const { return {starts_, firsts_, seconds_, thirds_}; }

    QLineEdit* name_ = nullptr;
    QLineEdit* starts_ = nullptr;
    QLineEdit* firsts_ = nullptr;
    QLineEdit* seconds_ = nullptr;
    QLineEdit* thirds_ = nullptr;
    QPlainTextEdit* comments_ = nullptr;
    QLabel* commentRoom_ = nullptr;
    Picker* cmbStyle_ = nullptr;
    QWidget* top_ = nullptr;
    QToolButton* datFirst_ = nullptr;
    QToolButton* datPrevious_ = nullptr;
    QToolButton* datNext_ = nullptr;
    QToolButton* datLast_ = nullptr;
    QLabel* datCaption_ = nullptr;
    RaceLineGrid* grid_ = nullptr;
    RaceLineModel* lineModel_ = nullptr;
    QPointer<QMdiArea> area_;
};

}  // namespace vz::gui
