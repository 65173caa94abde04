#pragma once

#include <QDialog>
#include <QString>

class QTextEdit;

namespace vz::gui {

// The list's whole text, lines separated by CR: the tracks whose programs
// come in the layout the TrackInfo importer reads, and where to get them.
QString trackListText();

// `TrackInfoList`: read-only, selectable text; rebuilt each time it opens.
class TrackInfoList : public QDialog {
    Q_OBJECT
  public:
    explicit TrackInfoList(QWidget* parent = nullptr);

    QString shownText() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void rebuild();

    QTextEdit* txtList_;
};

}  // namespace vz::gui
