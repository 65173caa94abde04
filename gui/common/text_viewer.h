#pragma once

// The window that shows a results report or the error report: fixed-pitch
// text, form feeds shown as page breaks (on screen a rule, in print a new
// page), Find, Print and Save as PDF.

#include <QMainWindow>
#include <QString>
#include <filesystem>

class QLineEdit;
class QLabel;
class QTextEdit;
class QTextDocument;

namespace vz::gui {

class TextViewer : public QMainWindow {
    Q_OBJECT
  public:
    explicit TextViewer(QWidget* parent = nullptr);

    // Opens a viewer window on the file; throws vz::Error when it cannot be
    // read. The window deletes itself when closed.
    static TextViewer* showFile(const std::filesystem::path& file, QWidget* parent = nullptr);

    void loadFile(const std::filesystem::path& file);
    void setText(const QString& text, const QString& title);

    QTextDocument* document() const;
    QString plainText() const;  // the text as shown, page breaks as form feeds
    int pageBreakCount() const;
    const std::filesystem::path& file() const { return file_; }

    // Finds the next match (wrapping once); false when there is none.
    bool findNext(const QString& what);
    // Throws vz::Error naming the file when it cannot be written.
    void saveAsPdf(const QString& pdfPath);

  public slots:
    void print();
    void saveAsPdfDialog();
    void showFind();

  private:
    QTextEdit* edit_;
    QLineEdit* findField_;
    QLabel* findStatus_;
    QWidget* findBar_;
    std::filesystem::path file_;
};

}  // namespace vz::gui
