#pragma once

// The search window `Search` ("Search for a Dog"): finds the dogs whose name
// contains a text, without regard to letter case, and moves the dog editor
// to them in name order.

#include <QDialog>
#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vz::gui {

class EditDogs;

class SearchDog : public QDialog {
    Q_OBJECT

  public:
    SearchDog(EditDogs* editor, QWidget* parent = nullptr);

    void findFirst();
    void findNext();
    void findPrevious();

    QLineEdit* searchText() const { return txtSearchString_; }
    QLabel* notFoundLabel() const { return lblNotFound_; }
    QPushButton* findButton() const { return cmdFind_; }
    QPushButton* findNextButton() const { return cmdFindNext_; }
    QPushButton* closeButton() const { return cmdClose_; }

    // The system beep of a search that finds nothing; tests count it.
    static void setBeepHandler(std::function<void()> beep);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    enum class Direction { First, Next, Previous };
    void find(Direction direction);
    void setDefault(QPushButton* button);

    EditDogs* editor_;
    QLineEdit* txtSearchString_ = nullptr;
    QLabel* lblNotFound_ = nullptr;
    QPushButton* cmdFind_ = nullptr;
    QPushButton* cmdFindNext_ = nullptr;
    QPushButton* cmdFindPrev_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

}  // namespace vz::gui
