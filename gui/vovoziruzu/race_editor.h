#pragma once

// The race editor `CurrentRace`: one race file in an MDI child. One race at a
// time (date, number, distance, grade) and the grid of its posts. Every
// change goes straight into the file: a race when it is left, a post cell
// when its edit is committed.

#include <QStringList>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/base/paths.h"
#include "core/editing/card.h"
#include "core/editing/pickers.h"
#include "core/store/race_file.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vz::gui {

class Picker;
class PostsGrid;
class PostsModel;

class RaceEditor : public QWidget {
    Q_OBJECT
  public:
    // Opens the file; throws vz::Error when it cannot be opened.
    RaceEditor(const base::AppPaths& paths, const QString& filePath, const QString& fileTitle,
               std::function<base::Date()> today, QWidget* parent = nullptr);
    ~RaceEditor() override;

    const QString& filePath() const { return filePath_; }
    const QString& fileTitle() const { return fileTitle_; }

    // The races as stored and the current one (-1 when the file has none).
    const std::vector<base::Race>& races() const { return races_; }
    int currentRace() const { return pos_; }
    QString raceCaption() const;
    PostsModel* postsModel() const { return postsModel_; }
    PostsGrid* postsGrid() const { return grid_; }

    // Saves the race fields when they changed; false (after the message,
    // unless `quiet`) when a field holds no valid value (its text stays, the
    // field gets the focus) or the date and number are another race's (the
    // stored values come back).
    bool saveCurrentRace(bool quiet = false);
    // Commits an open cell edit and the race fields without asking (exit).
    void savePendingQuietly();
    // Moves to race `index` (clamped) after saving the current one.
    bool moveToRace(int index);

  public slots:
    void addRace();
    void deleteRace();
    void resortRaces();
    void addPost();
    void deletePost();
    void resortPosts();
    void firstRace() { moveToRace(0); }
    void lastRace() { moveToRace(static_cast<int>(races_.size()) - 1); }
    void previousRace() { moveToRace(pos_ - 1); }
    void nextRace() { moveToRace(pos_ + 1); }

  signals:
    // The editor closed; the main window does its bookkeeping.
    void closed(const QString& filePath, const QString& fileTitle);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    bool handleKey(QKeyEvent* event);
    void closeWindow();
    void reloadRaces();
    void loadDogNames();
    void showCurrentRace();
    void updateCaption();
    void setRaceFieldsEnabled(bool on);
    void setCombo(Picker* combo, const std::optional<std::string>& value);
    void layoutGrid();

    base::AppPaths paths_;
    QString filePath_;
    QString fileTitle_;
    std::function<base::Date()> today_;
    std::unique_ptr<store::RaceFile> file_;
    editing::Lookups lookups_;
    editing::DogNames dogNames_;
    std::vector<base::Race> races_;
    int pos_ = -1;
    bool closing_ = false;

    QLineEdit* txtDate_;
    QLineEdit* txtRaceNum_;
    Picker* cmbDistance_;
    Picker* cmbGrade_;
    QLabel* lblCaption_;
    PostsGrid* grid_;
    PostsModel* postsModel_;
};

}  // namespace vz::gui
