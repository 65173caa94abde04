#pragma once

// The drop-down pickers of the editors (dog, grade, distance, style). Their
// list opens on the text typed so far, and Enter in the open list keeps that
// match, never the list's first row; with nothing matching, Enter keeps the
// typed text. A lookup-only picker takes no key that could not lead to one
// of its codes (or to the value already stored).

#include <QComboBox>
#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace vz::gui {

class Picker : public QComboBox {
    Q_OBJECT
  public:
    enum class Mode { LookupOnly, AnyText };

    Picker(Mode mode, const QStringList& items, QWidget* parent = nullptr);

    // The value stored for the row being edited: shown, and allowed even
    // when the list lacks it.
    void setStored(const std::optional<std::string>& stored);
    const std::optional<std::string>& stored() const { return stored_; }
    const std::vector<std::string>& codes() const { return items_; }

    void showPopup() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Mode mode_;
    std::vector<std::string> items_;
    std::optional<std::string> stored_;
    bool matched_ = false;    // the open list stands on the typed match
    bool userMoved_ = false;  // the user moved in the open list
};

}  // namespace vz::gui
